// Keys of the main form: the run shortcuts and the buffer viewer's, which
// the form sees before the focused box, and the row navigation of the
// channel boxes.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "buffer_viewer.h"
#include "monitor_form.h"

namespace orvane::forms {
namespace {

// The one buffer viewer, a window of its own that the main form keeps.
void ShowBufferViewer(FrmMonitor& form, const core::VekmathCalls& api) {
  auto* viewer = form.findChild<FrmBuffer*>(QString(), Qt::FindDirectChildrenOnly);
  if (!viewer) {
    viewer = new FrmBuffer(api, form.AxesStyleRecord(), &form);
    viewer->setWindowFlag(Qt::Window);
  }
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
}

}  // namespace

bool FrmMonitor::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || (w != this && !isAncestorOf(w))) return false;
  const QVariant column = w->property("column");
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (Form_KeyDown(key->key(), key->modifiers())) return true;
    if (column.isValid()) return RowKeyDown(column.toInt(), w->property("index").toInt(), key->key(), key->modifiers());
    return false;
  }
  if (event->type() == QEvent::FocusIn && column.isValid()) {
    // Entering a box selects its text, so typing replaces it.
    // Queued: a mouse click that brought the focus places the cursor after
    // this event.
    if (auto* box = qobject_cast<QLineEdit*>(w))
      QMetaObject::invokeMethod(this, [this, box] { SelText(box); }, Qt::QueuedConnection);
    return false;
  }
  if (event->type() == QEvent::MouseButtonRelease && w == lblRGB) {
    lblRGB_Click();
    return true;
  }
  return false;
}

// Only Ctrl or Alt make a shortcut: a capital letter typed with Shift is
// text for the box.
bool FrmMonitor::Form_KeyDown(int key, Qt::KeyboardModifiers mods) {
  if (!(mods & (Qt::ControlModifier | Qt::AltModifier))) return false;
  switch (key) {
    case Qt::Key_S:
      if (!IsACQ()) RunAcquisition();
      return true;
    case Qt::Key_E:
      if (IsACQ()) chk終了->setCheckState(Qt::Checked);
      return true;
    case Qt::Key_Q:
      if (!IsACQ()) options_.quit();
      return true;
    case Qt::Key_B:
      if (!(mods & Qt::ControlModifier) || !(mods & Qt::ShiftModifier)) return false;
      ShowBufferViewer(*this, api_);
      return true;
    default:
      return false;
  }
}

void FrmMonitor::FocusBox(int column, int row) {
  if (column < 0 || row < 0 || row >= kRows) return;
  QLineEdit* box = (this->*kColumns[column].boxes)[row];
  box->setFocus(Qt::OtherFocusReason);
  // The whole box, not only its cursor, comes into view.
  const QPoint centre = box->mapTo(Picture2, box->rect().center());
  rowsArea->ensureVisible(centre.x(), centre.y(), box->width() / 2 + 1, box->height() / 2 + 1);
}

bool FrmMonitor::RowKeyDown(int column, int row, int key, Qt::KeyboardModifiers mods) {
  const RowColumn& col = kColumns[column];
  const bool modified = mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (col.next < 0) return false;  // the live-value boxes
  const bool isLimit = col.boxes == &FrmMonitor::DisplayLimitA || col.boxes == &FrmMonitor::DisplayLimitB;
  if (modified && col.numeric) {
    QLineEdit* box = (this->*col.boxes)[row];
    bool handled = false;
    if (key == Qt::Key_Up) {
      IncTextBox(box, 1);
      handled = true;
    } else if (key == Qt::Key_Down) {
      IncTextBox(box, -1);
      handled = true;
    }
    if (isLimit) DisplayLimit_Change(row);
    return handled;
  }
  // Up and Down wrap among the shown rows: a hidden box cannot take the focus.
  const int shown = std::min(channels_, kRows);
  switch (key) {
    case Qt::Key_Up:
      if (shown > 0) FocusBox(column, row <= 0 || row >= shown ? shown - 1 : row - 1);
      return true;
    case Qt::Key_Down:
      if (shown > 0) FocusBox(column, row + 1 >= shown ? 0 : row + 1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      FocusBox(col.next, row);
      return true;
    default:
      return false;
  }
}

}  // namespace orvane::forms
