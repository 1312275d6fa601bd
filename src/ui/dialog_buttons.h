#pragma once

class QButtonGroup;
class QDialog;
class QDialogButtonBox;

namespace ruvo {

// The "OK" (default) and "Cancel" buttons of a dialog, named "okButton" and "cancelButton" and
// wired to accept and reject.
QDialogButtonBox* OkCancelBox(QDialog& dialog);

// Checks the button with id; for an id without a button (a value from a hand-edited document)
// leaves every button unchecked.
void CheckButtonAt(QButtonGroup& group, int id);

}  // namespace ruvo
