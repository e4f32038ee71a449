// Qt's own texts (the standard buttons "OK", "Yes", "No", the file
// dialogs) in Chinese: the translation is built into the program as a
// resource, so that a statically linked gt7p.exe needs no file beside it.
#pragma once

class QCoreApplication;

namespace gt7p {

// Installs the translation into `app`; false when the resource is missing.
bool InstallQtTranslation(QCoreApplication& app);

}  // namespace gt7p
