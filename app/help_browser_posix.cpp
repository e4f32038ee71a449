// Whether a page opens in a browser here: the desktop's handler of HTML as
// xdg-mime names it, or a browser named in BROWSER. Other kinds are left
// to the opener.
#include <QByteArray>
#include <QProcess>

#include "app/help_window.h"

namespace gt7p {

bool SystemOpensHelpFile(const std::filesystem::path& file) {
  if (!ShownInHelpWindow(file)) return true;
  if (!qgetenv("BROWSER").trimmed().isEmpty()) return true;
  QProcess query;
  query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
  if (!query.waitForStarted(2000)) return false;
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return false;
  }
  return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace gt7p
