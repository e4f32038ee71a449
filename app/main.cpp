// Program start: the application object, the main window, the message loop.
//
//   gt7p [DEST_FOLDER [TITLE [esp [dontseldir]]]] [--simulate]
//   gt7p --view [FILE]
//
// --simulate starts the built-in simulated instrument on a pseudo-terminal
// and offers its port first in the settings dialog. --view shows the record
// viewer alone, with FILE (.T7P, .QFX or .ESP) or empty for a dropped file.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_gt7p.h"
#include "app/simulated_instrument.h"
#include "app/ui_text.h"
#include "viewer/frm_view.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() >= 2 && args[1] == "--view") {
    gt7p::TfrmView view;
    view.show();
    if (args.size() >= 3) view.OpenFile(gt7p::ToCore(args[2]));
    return app.exec();
  }
  std::vector<std::string> params;
  bool simulate = false;
  for (const QString& arg : app.arguments().mid(1)) {
    if (arg == "--simulate")
      simulate = true;
    else
      params.push_back(gt7p::ToCore(arg));
  }
  std::vector<std::string> extraPorts;
  std::unique_ptr<gt7p::SimulatedInstrument> instrument;
  if (simulate && (instrument = gt7p::StartSimulatedInstrument())) extraPorts.push_back(instrument->PortEntry());
  gt7p::TfrmGT7P window(params, extraPorts);
  window.show();
  return app.exec();
}
