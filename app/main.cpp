// Program start: the application object, the main window, the message loop.
//
//   gt7p [DEST_FOLDER [TITLE [esp [dontseldir]]]] [--simulate] [--port PATH]...
//   gt7p --view [FILE]
//
// --simulate starts the built-in simulated instrument on a pseudo-terminal;
// --port offers PATH (a device, a pseudo-terminal, a COM port Windows does
// not list). These ports come first in the settings dialog. --view shows
// the record viewer alone, with FILE (.T7P, .QFX or .ESP) or empty for a
// dropped file.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_gt7p.h"
#include "app/qt_translation.h"
#include "app/simulated_instrument.h"
#include "ui/ui.h"
#include "base/cp936.h"
#include "base/native_file.h"
#include "viewer/window/frm_view.h"
#include "workflow/workflow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  gt7p::InstallQtTranslation(app);
  gt7p::LetWritesFailPastSizeLimit();
  const QStringList args = app.arguments();
  if (args.size() >= 2 && args[1] == "--view") {
    gt7p::TfrmView view;
    view.show();
    if (args.size() >= 3) view.OpenFile(gt7p::ToPath(args[2]));
    return app.exec();
  }
  std::vector<std::string> words;  // UTF-8: the folder is kept whole
  for (const QString& arg : args.mid(1)) words.push_back(arg.toStdString());
  const gt7p::ProgramArguments parsed = gt7p::ReadProgramArguments(words);
  std::vector<std::string> extraPorts;
  for (const std::string& port : parsed.ports) extraPorts.push_back(gt7p::NamedPortEntry(gt7p::Utf8ToCp936(port)));
  std::unique_ptr<gt7p::SimulatedInstrument> instrument;
  if (parsed.simulate && (instrument = gt7p::StartSimulatedInstrument())) extraPorts.push_back(instrument->PortEntry());
  gt7p::TfrmGT7P window(parsed.params, extraPorts);
  window.show();
  return app.exec();
}
