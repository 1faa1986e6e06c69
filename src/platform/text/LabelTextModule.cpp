// The label text module: the Qt engine behind one C entry, loaded by the command-line tool
// (dlopen) when a picture first draws labels, so its other work never loads Qt.
#include <QString>
#include <QtGlobal>

#include "platform/text/QtLabelText.h"

namespace {

void (*gReport)(const char* message) = nullptr;
bool gMakingApplication = false;

// Qt's notices about its environment are not the tool's to show: only critical and fatal
// messages are handed on, and while the application is made (which complains about the
// runtime folder it is denied) only fatal ones.
void ReportCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const bool shown = type == QtFatalMsg || (type == QtCriticalMsg && !gMakingApplication);
  if (shown && gReport != nullptr) gReport(message.toUtf8().constData());
}

}  // namespace

extern "C" __attribute__((visibility("default"))) LabelTextEngine* plimdisp_label_text_engine(
    void (*report)(const char* message)) {
  gReport = report;
  qInstallMessageHandler(ReportCriticalMessages);
  gMakingApplication = true;
  MakeLabelTextApplication();
  gMakingApplication = false;
  return &QtLabelText();
}

// The entry's type is the one the tool looks it up as.
static_assert(std::is_same_v<decltype(&plimdisp_label_text_engine), LabelTextModuleEntry>);
