#pragma once

class QButtonGroup;
class QDialog;
class QDialogButtonBox;
class QGridLayout;

namespace ruvo {

// The "OK" (default) and "Cancel" buttons of a dialog, named "okButton" and "cancelButton" and
// wired to accept and reject.
QDialogButtonBox* OkCancelBox(QDialog& dialog);

// The dialog's layout: a grid of fixed size with a line's height of margin all round, at any font size.
QGridLayout* FixedGrid(QDialog& dialog);

// Checks the button with id; for an id without a button (a value from a hand-edited document)
// leaves every button unchecked.
void CheckButtonAt(QButtonGroup& group, int id);

}  // namespace ruvo
