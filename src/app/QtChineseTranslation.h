#pragma once

class QTranslator;

// Qt's own Chinese for the texts Qt draws itself: the file dialog ("Look
// in:", "Open", "Cancel" …) and the standard buttons of the message boxes.
// The program speaks Chinese whatever the desktop's language, so the
// catalogue is chosen by name rather than by the locale. Without Qt's
// translations on the machine those texts simply stay in English.
// Returns whether the catalogue was found and installed.
bool installQtChineseTranslation(QTranslator &translator);
