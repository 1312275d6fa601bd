// The smoothing dialog on the form's three smoothing fields.
#include <QTest>

#include "form_probe.h"
#include "scripted_prompts.h"
#include "support/test_support.h"
#include "ui/smoothing_dlg.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

struct Stored {
  std::int32_t method, level, rpm;
  bool operator==(const Stored&) const = default;
};

// Runs the dialog on stored, letting work act on it while it is shown.
Stored RunDialog(Stored stored, const std::function<void(test::FormProbe&)>& work) {
  test::ScriptedPrompts prompts;
  prompts.onModal = [&](QDialog& dialog) {
    test::FormProbe probe(dialog);
    work(probe);
  };
  CSmoothingDlg dialog;
  dialog.RunSmoothingDialog(stored.method, stored.level, stored.rpm);
  return stored;
}

}  // namespace

class SmoothingDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // Which level each box shows is checked on the smoothing rules; here the dialog shows them.
  void opensOnTheStoredMethodWithOnlyItsBoxEnabled() {
    RunDialog({1, 7, 5500}, [](test::FormProbe& d) {
      QVERIFY(d.Radio("localSmoothing")->isChecked());
      QStringList shown;
      for (const char* box : {"localLevel", "segments", "fitLevel", "declineRpm"}) shown << d.Text(box);
      QCOMPARE(shown, QStringList({"7", "3", "3", "5500"}));
      QVERIFY(d.Box("localLevel")->isEnabled());
      for (const char* box : {"segments", "fitLevel", "declineRpm"}) QVERIFY2(!d.Box(box)->isEnabled(), box);
      d.Click("cancelButton");
    });
  }

  void clickingAMethodEnablesItsBoxes() {
    RunDialog({0, 3, 0}, [](test::FormProbe& d) {
      for (const char* box : {"localLevel", "segments", "fitLevel", "declineRpm"}) QVERIFY(!d.Box(box)->isEnabled());
      d.Radio("exponentialFit")->click();
      QVERIFY(d.Box("fitLevel")->isEnabled() && d.Box("declineRpm")->isEnabled());
      QVERIFY(!d.Box("segments")->isEnabled());
      d.Radio("localSmoothing")->click();
      QVERIFY(d.Box("localLevel")->isEnabled() && !d.Box("fitLevel")->isEnabled());
      d.Click("cancelButton");
    });
  }

  void okWritesTheChosenMethodAndItsParameter() {
    const Stored fit = RunDialog({2, 3, 0}, [](test::FormProbe& d) {
      d.Radio("exponentialFit")->click();
      d.Type("fitLevel", "4");
      d.Type("declineRpm", "5500");
      d.Click("okButton");
    });
    QCOMPARE(fit, (Stored{3, 4, 5500}));
  }

  void cancelChangesNothingEvenAfterARejectedOk() {
    test::MessageCapture messages;
    const Stored after = RunDialog({1, 7, 100}, [](test::FormProbe& d) {
      d.Radio("exponentialFit")->click();
      d.Type("fitLevel", "9");
      d.Type("declineRpm", "12.5");
      d.Click("okButton");  // rejected at the last box: the dialog stays
      QVERIFY(d.Box("declineRpm")->window()->isVisible());
      d.Click("cancelButton");
    });
    QCOMPARE(after, (Stored{1, 7, 100}));
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Please enter an integer."});
  }

  void rejectedBoxIsFocusedAndFixingItConfirms() {
    test::MessageCapture messages;
    const Stored after = RunDialog({2, 3, 0}, [](test::FormProbe& d) {
      d.Type("segments", "many");
      d.Click("okButton");
      QCOMPARE(d.Box("segments")->window()->focusWidget(), d.Box("segments"));
      d.Type("segments", "-2");  // any integer passes; the curve model judges it
      d.Click("okButton");
    });
    QCOMPARE(after, (Stored{2, -2, 0}));
    QCOMPARE(messages.Texts().size(), std::size_t{1});
  }

  void unknownStoredMethodChecksNothing() {
    const Stored ok = RunDialog({9, 4, 300}, [](test::FormProbe& d) {
      for (const char* radio : {"noSmoothing", "localSmoothing", "splineSegments", "exponentialFit"})
        QVERIFY2(!d.Radio(radio)->isChecked(), radio);
      for (const char* box : {"localLevel", "segments", "fitLevel", "declineRpm"}) QVERIFY(!d.Box(box)->isEnabled());
      d.Click("okButton");
    });
    QCOMPARE(ok, (Stored{-1, 4, 300}));
    const Stored cancelled = RunDialog({9, 4, 300}, [](test::FormProbe& d) { d.Click("cancelButton"); });
    QCOMPARE(cancelled, (Stored{9, 4, 300}));
  }
};

}  // namespace ruvo

int RunSmoothingDialogTests(int argc, char** argv) {
  ruvo::SmoothingDialogTest suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "smoothing_dialog_test.moc"
