// Program start: the application object, the main window, the message loop.
//
//   gt7p [DEST_FOLDER [TITLE [esp [dontseldir]]]] [--simulate]
//
// --simulate starts the built-in simulated instrument on a pseudo-terminal
// and offers its port first in the settings dialog.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_gt7p.h"
#include "app/simulated_instrument.h"
#include "app/ui_text.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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
