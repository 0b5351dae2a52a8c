#pragma once

class QObject;

// Confirms the channel search's range dialog with its opening range, 0 to
// 20, once it is up: the dialog is modal, so the click comes from a timer
// that owner holds.
void confirmRangeDialogWhenItOpens(QObject *owner);
