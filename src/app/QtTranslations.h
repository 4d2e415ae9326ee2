#pragma once

class QCoreApplication;

// Qt's own texts (file dialog, message-box buttons) in German, whatever the user's locale: the
// program speaks German everywhere. Loads qtbase_de from Qt's translations folder (Debian package
// qt6-translations-l10n). False, with a note on standard error, when the file is missing; Qt then
// falls back to English for its own texts.
bool installGermanQtTranslations(QCoreApplication& app);
