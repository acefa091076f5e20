// Keeps the values of a form's controls from one program run to the next:
// one INI section per control ("frmMonitor.txtR(3)"), CP932 bytes, written
// at unload and read back at load.
//
// A widget takes part when it is a line edit (a text box), a plain or rich
// text edit (a multi-line box), a check box, a radio button (an option
// button), a combo box or a list widget, and carries an object name. A
// member of a control array carries its index in the dynamic property
// "index". A widget with the property "stored" set to false is left out.
#pragma once
#include <QString>
#include <QWidget>

namespace orvane::forms {

// The section of a control: form name, ".", control name, "(index)".
QString ControlSection(const QString& formName, const QWidget& control);

// The default file: <program folder>/Debug/Property.ini.
QString DefaultStorePath(const QString& programFolder);

// Both pass over every failure: a control whose value cannot be written or
// read keeps going with the next one. Restoring sets values the way an edit
// by hand does, so the controls' change handlers run. path empty: the
// default file (its folder is created when missing). The save gives false
// when the file could not be written (the values are lost then).
bool SaveAllControls(QWidget& form, const QString& formName, const QString& programFolder, QString path = {});
void RestoreAllControls(QWidget& form, const QString& formName, const QString& programFolder, QString path = {});

}  // namespace orvane::forms
