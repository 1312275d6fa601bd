#pragma once

#include <QPointer>
#include <QPushButton>
#include <vector>

#include "calc/run_checks.h"

class QDialog;

namespace ruvo {

// The run checks' findings in the Results group: a flat button with a warning (or, for notes only,
// an information) icon and the count, hidden after a clean run or without a calculation. Clicking
// it shows every finding in a non-modal window beside the form, kept up to date until closed.
class FindingsButton : public QPushButton {
  Q_OBJECT

 public:
  explicit FindingsButton(QWidget* parent);

  // Shows findings (empty: hides the button and closes the list).
  void ShowFindings(const std::vector<RunFinding>& findings);

 private:
  void OpenList();
  void FillList();

  std::vector<RunFinding> shown;
  QPointer<QDialog> listWindow;
};

// "Chec&ks: 2 warnings, 1 note" (Alt+K opens the list); empty for none.
QString FindingsCountText(const std::vector<RunFinding>& findings);

}  // namespace ruvo
