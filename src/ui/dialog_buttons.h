#pragma once

#include <QPoint>

class QButtonGroup;
class QDialog;
class QDialogButtonBox;

namespace ruvo {

class DialogUnits;

// Adds the "OK" (default) and "Cancel" buttons, 50 by 14 dialog units at the given positions,
// named "okButton" and "cancelButton" and wired to accept and reject.
void AddOkCancel(QDialog& dialog, const DialogUnits& units, QPoint okAt, QPoint cancelAt);

// The "OK" and "Cancel" buttons of a dialog laid out by layouts, named "okButton" and
// "cancelButton" and wired to accept and reject.
QDialogButtonBox* OkCancelBox(QDialog& dialog);

// Checks the button with id; for an id without a button (a value from a hand-edited document)
// leaves every button unchecked.
void CheckButtonAt(QButtonGroup& group, int id);

}  // namespace ruvo
