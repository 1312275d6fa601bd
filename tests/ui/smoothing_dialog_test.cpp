// The smoothing dialog on the form's three smoothing fields.
#include <array>

#include "support/test_support.h"
#include "ui/smoothing_dlg.h"
#include "ui_support.h"

namespace ruvo {
namespace {

using Stored = std::tuple<std::int32_t, std::int32_t, std::int32_t>;  // method, level, decline rpm

// Runs the dialog on stored, letting work act on it while it is shown.
Stored RunDialog(Stored stored, const std::function<void(const test::FormProbe&)>& work) {
  test::ScriptedPrompts prompts;
  prompts.onModal = [&](QDialog& dialog) { work(test::FormProbe(dialog)); };
  CSmoothingDlg dialog;
  dialog.RunSmoothingDialog(std::get<0>(stored), std::get<1>(stored), std::get<2>(stored));
  return stored;
}

}  // namespace

class SmoothingDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // Only the stored method's box shows the stored level, the others their default 3; a click on a
  // method enables its boxes only, and OK writes the method's parameter. A hand-edited
  // method checks nothing, yet the buttons stay exclusive; OK then stores -1 and Cancel leaves it.
  void opensOnTheStoredMethodAndOkWritesTheCheckedOne() {
    const Stored fit = RunDialog({1, 7, 5500}, [](const test::FormProbe& d) {
      RUVO_REQUIRE(d.CheckedAre(
          {{"noSmoothing", false}, {"localSmoothing", true}, {"splineSegments", false}, {"exponentialFit", false}}));
      RUVO_REQUIRE(d.TextsAre({{"localLevel", "7"}, {"segments", "3"}, {"fitLevel", "3"}, {"declineRpm", "5500"}}));
      // Each method clicked in turn, with the level boxes enabled then: local level, segments,
      // fit level, decline rpm.
      const std::pair<const char*, std::array<bool, 4>> clicks[] = {{nullptr, {true, false, false, false}},
                                                                    {"noSmoothing", {false, false, false, false}},
                                                                    {"splineSegments", {false, true, false, false}},
                                                                    {"exponentialFit", {false, false, true, true}}};
      for (const auto& [method, on] : clicks) {
        if (method) d.Radio(method)->click();
        RUVO_REQUIRE(
            d.EnabledAre({{"localLevel", on[0]}, {"segments", on[1]}, {"fitLevel", on[2]}, {"declineRpm", on[3]}}));
      }
      d.Fill({"fitLevel=4", "declineRpm=6000"});
      d.Click("okButton");
    });
    QCOMPARE(fit, Stored(3, 4, 6000));
    const Stored ok = RunDialog({9, 4, 300}, [](const test::FormProbe& d) {
      RUVO_REQUIRE(d.CheckedAre(
          {{"noSmoothing", false}, {"localSmoothing", false}, {"splineSegments", false}, {"exponentialFit", false}}));
      RUVO_REQUIRE(
          d.EnabledAre({{"localLevel", false}, {"segments", false}, {"fitLevel", false}, {"declineRpm", false}}));
      d.Click("okButton");
    });
    QCOMPARE(ok, Stored(-1, 4, 300));
    const Stored cancelled = RunDialog({9, 4, 300}, [](const test::FormProbe& d) {
      for (const char* method : {"noSmoothing", "exponentialFit"}) d.Radio(method)->click();
      RUVO_REQUIRE(d.CheckedAre(
          {{"noSmoothing", false}, {"localSmoothing", false}, {"splineSegments", false}, {"exponentialFit", true}}));
      d.Click("cancelButton");
    });
    QCOMPARE(cancelled, Stored(9, 4, 300));
  }

  // A rejected box keeps the dialog open with the first rejected box named, focused and selected;
  // a box the chosen method disables never blocks OK. Once every enabled box holds an integer OK
  // confirms.
  void rejectedBoxKeepsTheDialogOpen() {
    test::MessageCapture messages;
    const Stored fixed = RunDialog({2, 3, 0}, [](const test::FormProbe& d) {
      QWidget* dialog = d.Box("segments")->window();
      d.Fill({"segments=many", "localLevel=bad"});
      d.Click("okButton");
      QVERIFY(dialog->isVisible() && dialog->focusWidget() == d.Box("segments"));
      QCOMPARE(d.Box("segments")->selectedText(), QString("many"));
      d.Type("segments", "-2");  // any integer passes; the curve model judges it
      d.Radio("exponentialFit")->click();
      d.Type("declineRpm", "12.5");
      d.Click("okButton");  // rejected at the last box
      QVERIFY(dialog->isVisible() && dialog->focusWidget() == d.Box("declineRpm"));
      d.Type("declineRpm", "5000");
      d.Click("okButton");
    });
    QCOMPARE(fixed, Stored(3, 3, 5000));
    QCOMPARE(messages.Texts(), (std::vector<std::string>{"Smooth Curve, Segments: enter an integer",
                                                         "RPM at start of decline: enter an integer"}));
  }
};

RUVO_UI_SUITE("SmoothingDialog", SmoothingDialogTest);

}  // namespace ruvo

#include "smoothing_dialog_test.moc"
