#pragma once

class QCoreApplication;

namespace oxeln {

// Loads the toolkit's French translation (qtbase_fr) into the application,
// whatever the locale, so that its own texts (dialog buttons, the save and
// print dialogs, context menus) are French like the rest of the program.
// False when the translation is not installed: the toolkit then speaks
// English.
bool InstallToolkitTranslation(QCoreApplication &application);

} // namespace oxeln
