#include "cam_form.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "camera_list.h"
#include "core/ini_file.h"
#include "core/toolkit.h"
#include "core/utility.h"
#include "toolkit_text.h"

namespace orvane::forms {
namespace {

constexpr const char* kPreviewSize = "320,240";
constexpr int kWaitSteps = 1001;

void SettlingWait() {
  for (int i = 0; i < kWaitSteps; ++i) {
    QCoreApplication::processEvents();
    usleep(1000);
  }
}

// Removes a file the search path finds; one that cannot be removed stays,
// and the caller goes on as if it had gone.
void DeleteWhenFound(const std::string& name) {
  const std::string found = core::FindFileOnPath(name);
  if (!found.empty()) QFile::remove(QString::fromStdString(found));
}

}  // namespace

FrmCam::FrmCam(Options options)
    : options_(std::move(options)), api_(core::VekmathInUse()),
      instanceLock_(options_.programFolder + QStringLiteral("/ORVANE.lck")) {
  if (!options_.wait) options_.wait = SettlingWait;
  instanceLock_.setStaleLockTime(0);
  earlierInstance_ = !instanceLock_.tryLock(0);
  BuildControls();
  Form_Load();
}

FrmCam::~FrmCam() = default;

void FrmCam::BuildControls() {
  setObjectName(QStringLiteral("frmCam"));
  setWindowTitle(QStringLiteral("CAMERA"));
  pbxCam = new PictureBox(this);
  pbxCam->setObjectName(QStringLiteral("pbxCam"));
  pbxCam->setGeometry(8, 8, 320, 240);
  auto* lblCamera = new QLabel(QStringLiteral("Camera"), this);
  lblCamera->setGeometry(8, 256, 80, 22);
  cmbCamera = new QComboBox(this);
  cmbCamera->setObjectName(QStringLiteral("cmbCamera"));
  cmbCamera->setGeometry(88, 256, 240, 22);
  auto* lblResolution = new QLabel(QStringLiteral("Size"), this);
  lblResolution->setGeometry(8, 284, 80, 22);
  cmbResolution = new QComboBox(this);
  cmbResolution->setObjectName(QStringLiteral("cmbResolution"));
  cmbResolution->setGeometry(88, 284, 240, 22);
  txtAVIFileName = new QLineEdit(this);
  txtAVIFileName->setObjectName(QStringLiteral("txtAVIFileName"));
  txtAVIFileName->setGeometry(8, 312, 320, 22);
  txtTIMFileName = new QLineEdit(this);
  txtTIMFileName->setObjectName(QStringLiteral("txtTIMFileName"));
  txtTIMFileName->setGeometry(8, 340, 320, 22);
  cmdStart = new QPushButton(QStringLiteral("Start"), this);
  cmdStart->setObjectName(QStringLiteral("cmdStart"));
  cmdStart->setGeometry(8, 368, 156, 26);
  cmdEnd = new QPushButton(QStringLiteral("End"), this);
  cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
  cmdEnd->setGeometry(172, 368, 156, 26);
  resize(336, 402);
  // The lists' Click: whenever the index changes, code setting it included.
  connect(cmbCamera, &QComboBox::currentIndexChanged, this, [this] { cmbCamera_Click(); });
  connect(cmbResolution, &QComboBox::currentIndexChanged, this, [this] { cmbResolution_Click(); });
}

std::string FrmCam::ListPath() const { return CameraListPath(options_.programFolder.toStdString()); }
std::string FrmCam::BaseFolder() const { return ToAnsi(options_.programFolder + QStringLiteral("/")); }

void FrmCam::Form_Load() {
  // Without the camera calls the list cannot be made: as for no camera.
  if (!api_.CameraInit || !api_.ListCameras) {
    HideForGood();
    return;
  }
  api_.CameraInit();
  initialised_ = true;
  DeleteWhenFound(ListPath());
  api_.ListCameras(ToAnsi(QString::fromStdString(ListPath())).c_str(), &CameraStatus);
  if (!IsCameraAvailable(ListPath())) {
    HideForGood();
    return;
  }
  core::SetIniPath(ListPath());
  {
    QSignalBlocker quiet(cmbCamera);
    for (const std::string& name : CameraNames(ListPath())) cmbCamera->addItem(QString::fromStdString(name));
    cmbCamera->setCurrentIndex(-1);
  }
  cmbCamera->setCurrentIndex(0);
  // A still of an earlier start is removed here, in the current folder only:
  // one found elsewhere on the search path is not ours.
  if (QFile::exists(QStringLiteral("SAMPLE.BMP"))) QFile::remove(QStringLiteral("SAMPLE.BMP"));
  FillResolutionList(cmbResolution);
  cmbResolution->setCurrentIndex(cmbResolution->findText(QLatin1String(kPreviewSize)));
}

void FrmCam::HideForGood() {
  keptHidden_ = true;
  hide();
}

void FrmCam::Show() {
  if (!keptHidden_) show();
}

bool FrmCam::HandlersMayAct() {
  if (!earlierInstance_ && IsCameraAvailable(ListPath())) return true;
  HideForGood();
  return false;
}

void FrmCam::FillResolutionList(QComboBox* combo) {
  QSignalBlocker quiet(combo);
  combo->clear();
  for (const std::string& size : FrameSizes(ListPath())) combo->addItem(QString::fromStdString(size));
  combo->setCurrentIndex(-1);
  quiet.unblock();
  combo->setCurrentIndex(combo->findText(QLatin1String(kPreviewSize)));
}

void FrmCam::Connect() {
  if (isPreviewConnected_ && api_.CloseCamera) api_.CloseCamera(pbxCam->hWnd(), &CameraStatus);
  if (api_.SelectCamera) api_.SelectCamera(cmbCamera->currentIndex());
  if (api_.OpenCamera)
    api_.OpenCamera(pbxCam->hWnd(), BaseFolder().c_str(), previewHeight_, previewWidth_, &CameraStatus);
  isPreviewConnected_ = true;
}

void FrmCam::cmbCamera_Click() {
  if (!HandlersMayAct()) return;
  cmbResolution->setCurrentIndex(cmbResolution->findText(QLatin1String(kPreviewSize)));
  Connect();
  previewWidth_ = 320;
  previewHeight_ = 240;
}

void FrmCam::cmbResolution_Click() {
  if (!HandlersMayAct()) return;
  if (cmbResolution->currentIndex() < 0) return;  // nothing chosen yet
  // A size the list gave without two numbers leaves the camera as it is.
  try {
    const std::string entry = cmbResolution->currentText().toStdString();
    const std::string width = core::PickFields(entry, 1, 1, ","), height = core::PickFields(entry, 2, 2, ",");
    if (!core::IsNumeric(width) || !core::IsNumeric(height)) return;
    const int32_t w = core::CLng(core::Val(width)), h = core::CLng(core::Val(height));
    previewWidth_ = w;
    previewHeight_ = h;
  } catch (const core::ToolkitError&) {
    return;
  }
  Connect();
}

std::optional<QString> FrmCam::StartCAM() {
  const QString csv = options_.csvName ? options_.csvName() : QString();
  txtAVIFileName->setText(csv + QStringLiteral(".AVI"));
  txtTIMFileName->setText(csv + QStringLiteral(".TIM"));
  for (QLineEdit* box : {txtAVIFileName, txtTIMFileName}) DeleteWhenFound(box->text().toStdString());
  // The first run of a program folder comes before its CSV folder exists.
  QDir().mkpath(QFileInfo(txtAVIFileName->text()).absolutePath());
  if (!api_.StartRecord) return QStringLiteral("video not recorded: the processing library cannot record");
  api_.StartRecord(ToAnsi(txtAVIFileName->text()).c_str(), "", ToAnsi(txtTIMFileName->text()).c_str());
  LONG status = 0;
  if (api_.GetLastStatus) api_.GetLastStatus(&status);
  if (status != 0 || !QFile::exists(txtAVIFileName->text()))
    return QStringLiteral("video not recorded (%1)").arg(status);
  return std::nullopt;
}

std::optional<QString> FrmCam::EndCAM() {
  if (api_.EndRecord) api_.EndRecord(1, 1, CameraStatus);
  tables_ = ReadCaptureTables(api_);
  std::optional<QString> problem = WriteFrameTimeFile(txtTIMFileName->text(), tables_);
  Wait();
  if (api_.CloseCamera) api_.CloseCamera(pbxCam->hWnd(), &CameraStatus);
  Wait();
  // The preview comes back at the size the list shows.
  if (api_.OpenCamera)
    api_.OpenCamera(pbxCam->hWnd(), BaseFolder().c_str(), previewHeight_, previewWidth_, &CameraStatus);
  return problem;
}

void FrmCam::Disconnect() {
  if (isPreviewConnected_) {
    Wait();
    if (api_.CloseCamera) api_.CloseCamera(pbxCam->hWnd(), &CameraStatus);
    Wait();
    isPreviewConnected_ = false;
  }
  if (initialised_ && api_.CameraExit) api_.CameraExit();
  initialised_ = false;
}

void FrmCam::Wait() { options_.wait(); }

}  // namespace orvane::forms
