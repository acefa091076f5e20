// frmCam, the monitor's camera form: the camera and frame-size lists, the
// live picture that the processing library paints into pbxCam's window,
// and the video recorded beside every run with its frame-time file. Without
// a usable camera it hides itself at load and stays hidden.
#pragma once
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/vekmath_calls.h"
#include "frame_time_file.h"
#include "picture_box.h"

namespace orvane::forms {

class FrmCam : public QWidget {
  Q_OBJECT
 public:
  struct Options {
    QString programFolder;  // App.Path: the list file lives here
    // The run's CSV file name, which names the two recording files.
    std::function<QString()> csvName;
    // One settling wait while the streaming thread finishes its pictures;
    // default: 1,001 times window events and 1 ms.
    std::function<void()> wait;
  };

  // Builds the form and runs its load sequence.
  explicit FrmCam(Options options);
  ~FrmCam() override;

  PictureBox* pbxCam;
  QComboBox* cmbCamera;
  QComboBox* cmbResolution;
  QLineEdit* txtAVIFileName;
  QLineEdit* txtTIMFileName;
  QPushButton* cmdStart;
  QPushButton* cmdEnd;

  // Shows the form modeless, unless it hid itself (no camera to use, or
  // an earlier instance has it).
  void Show();
  bool KeptHidden() const { return keptHidden_; }

  // Starts the video beside the run; the reason when it is not recorded
  // (the run goes on without it).
  std::optional<QString> StartCAM();
  // Ends the video, writes the frame-time file and restarts the preview at
  // the size the list shows; the reason when the file was not written.
  std::optional<QString> EndCAM();
  // Releases the camera at program end.
  void Disconnect();

  bool IsPreviewConnected() const { return isPreviewConnected_; }
  int32_t PreviewHeight() const { return previewHeight_; }
  int32_t PreviewWidth() const { return previewWidth_; }
  // The tables of the last recording, as the frame-time file holds them.
  const CaptureTables& Tables() const { return tables_; }

 private:
  void BuildControls();
  void Form_Load();
  void cmbCamera_Click();
  void cmbResolution_Click();
  void FillResolutionList(QComboBox* combo);
  // The handlers act only with a usable camera in the first instance of
  // the program; otherwise they hide the form.
  bool HandlersMayAct();
  void HideForGood();
  void Connect();
  void Wait();
  std::string ListPath() const;
  std::string BaseFolder() const;

  Options options_;
  const core::VekmathCalls& api_;
  QLockFile instanceLock_;
  bool earlierInstance_ = false;
  bool keptHidden_ = false;
  bool initialised_ = false;
  // modCAMERA's state.
  LONG CameraStatus = 0;
  bool isPreviewConnected_ = false;
  int32_t previewHeight_ = 0;
  int32_t previewWidth_ = 0;
  CaptureTables tables_;
};

}  // namespace orvane::forms
