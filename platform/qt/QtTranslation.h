#pragma once

class QCoreApplication;

namespace vardelo {

/// Gives Qt's own texts (the text boxes' menus, the buttons of its boxes) in Russian, like the rest of the
/// program: loads Qt's Russian translation from Qt's translations folder or, failing that, from a
/// "translations" folder beside the program, and installs it in app, which keeps it. Returns false when
/// neither folder has it; Qt's texts then stay in English and nothing else changes.
bool loadQtTranslation(QCoreApplication& app);

} // namespace vardelo
