#pragma once

class QCoreApplication;

// Installs, for the language of the user's locale, the translation of the program's own
// texts and then Qt's (its buttons and standard dialogs) in that same language. The
// program's are looked for beside the program (translations/, as a build tree and a
// Windows install hold them), then in the installed share folder
// (../share/vek-updater/translations); Qt's there too, then in Qt's own folder. A
// language without a translation of the program's texts leaves everything in English,
// Qt's buttons included. Call it once the application exists, before any text is made.
void installProgramTranslations(QCoreApplication &application);
