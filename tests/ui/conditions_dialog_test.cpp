// The Air Conditions dialog: units, validation, and the conditions kept with the run document.
#include <QComboBox>
#include <QLabel>
#include <filesystem>

#include "application_fixture.h"
#include "core/settings.h"
#include "desktop/condition_units.h"
#include "ui/conditions_dlg.h"
#include "ui/ruvo_doc.h"

namespace ruvo {
namespace {

using test::AppFixture;

void ChooseUnit(const test::FormProbe& d, const char* name, int index) {
  d.Find<QComboBox>(name)->setCurrentIndex(index);
}

QString CorrectionText(const test::FormProbe& d) {
  return d.Find<QLabel>("correctionText")->text();
}

}  // namespace

class ConditionsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // Weather typed in degF, inHg at sea level and feet reaches the run in degC, hPa and metres,
  // marks the document changed and is saved after its parameter lines. Reopened, the run shows it
  // again in the units last chosen; Clear then takes every condition away, and the saved document
  // is the same bytes as one that never had any.
  void weatherInAnyUnitIsKeptMetricWithTheDocument() {
    AppFixture f;
    const std::string path = f.WriteDocument("runs/a.dat", "A", 2500);
    const std::string plain = test::ReadFileBytes(path);
    CRuvoApp& app = f.Start({QString::fromStdString(path)});
    test::ScriptedPrompts prompts;
    prompts.onModal = [](QDialog& dialog) {
      const test::FormProbe d(dialog);
      RUVO_REQUIRE(d.TextsAre({{"temperature", ""}, {"pressure", ""}, {"humidity", ""}, {"altitude", ""}}));
      RUVO_REQUIRE(d.CheckedAre({{"stationPressure", true}, {"seaLevelPressure", false}}));
      RUVO_REQUIRE(d.EnabledAre({{"altitude", false}, {"altitudeUnit", false}}));
      QCOMPARE(CorrectionText(d), QString("No air temperature given for the correction"));
      for (const char* unit : {"temperatureUnit", "pressureUnit", "altitudeUnit"}) ChooseUnit(d, unit, 1);
      d.Radio("seaLevelPressure")->click();
      d.Fill({"temperature=84", "pressure=29.92", "humidity=55", "altitude=1150"});
      // By hand: 302.04 K, 971.8 hPa at the track less 2.2 kPa of water vapour give 1.057.
      QVERIFY(CorrectionText(d).startsWith("SAE J1349 correction factor 1.05"));
      QVERIFY(
          CorrectionText(d).contains("28.9 \u00b0C, station pressure 971.8 hPa converted from 1013.2 hPa at sea level"
                                     " and 351 m, 55 % relative humidity"));
      d.Click("okButton");
    };
    app.Frame().Commands().conditions->trigger();
    const AirConditions& held = app.Document().Params().conditions;
    QVERIFY(held.temperatureC && test::IsClose(*held.temperatureC, 52.0 / 1.8, 1e-14));
    QVERIFY(held.pressureHpa && test::IsClose(*held.pressureHpa, 29.92 * 33.8638866667, 1e-14));
    QVERIFY(held.altitudeM && test::IsClose(*held.altitudeM, 350.52, 1e-14));
    QCOMPARE(held.humidityPercent, std::optional(55.0));
    QCOMPARE(f.Caption(), QString("a.dat* - Ruvo"));

    app.Frame().Commands().save->trigger();
    QCOMPARE(f.Caption(), QString("a.dat - Ruvo"));
    const std::string saved = test::ReadFileBytes(path);
    QCOMPARE(saved, plain +
                        "# Air Temp. (deg C): 28.888889\n# Air Press. (hPa) : 1013.207489\n"
                        "# Rel. Humidity (%): 55.000000\n# Altitude (m)     : 350.520000\n");

    app.Frame().Commands().newDocument->trigger();
    QVERIFY(app.Document().Params().conditions.IsEmpty());
    f.Drop({path});
    QCOMPARE(app.Document().Params().conditions, (AirConditions{28.888889, 1013.207489, 55.0, 350.52}));
    prompts.onModal = [](QDialog& dialog) {
      const test::FormProbe d(dialog);
      RUVO_REQUIRE(
          d.TextsAre({{"temperature", "84"}, {"pressure", "29.92"}, {"humidity", "55"}, {"altitude", "1150"}}));
      RUVO_REQUIRE(d.CheckedAre({{"stationPressure", false}, {"seaLevelPressure", true}}));
      QCOMPARE(d.Find<QComboBox>("temperatureUnit")->currentText(), QString("\u00b0F"));
      d.Click("clearButton");
      RUVO_REQUIRE(d.TextsAre({{"temperature", ""}, {"pressure", ""}, {"humidity", ""}, {"altitude", ""}}));
      d.Click("okButton");
    };
    app.Frame().Commands().conditions->trigger();
    QVERIFY(app.Document().Params().conditions.IsEmpty());
    QCOMPARE(f.Caption(), QString("a.dat* - Ruvo"));
    app.Frame().Commands().save->trigger();
    QCOMPARE(test::ReadFileBytes(path), plain);
  }

  // A value outside its range, or no number, keeps the dialog open with the range in the unit
  // shown, the box focused and selected; so does a sea-level pressure without its altitude. A
  // value shown rounded and left alone keeps its digits; Cancel changes nothing.
  void refusesValuesOutsideTheirRange() {
    MemorySettingsStore settings;
    test::MessageCapture messages;
    test::ScriptedPrompts prompts;
    AirConditions conditions{20.0, 1013.25, std::nullopt, std::nullopt};
    prompts.onModal = [](QDialog& shown) {
      const test::FormProbe d(shown);
      d.Type("temperature", "61");
      d.Click("okButton");
      QVERIFY(shown.isVisible() && shown.focusWidget() == d.Box("temperature"));
      QCOMPARE(d.Box("temperature")->selectedText(), QString("61"));
      QCOMPARE(CorrectionText(d), QString("Air temperature: enter a number between -50 and 60 \u00b0C"));
      ChooseUnit(d, "pressureUnit", 1);
      ChooseUnit(d, "temperatureUnit", 1);
      d.Type("temperature", "140.1");
      d.Click("okButton");
      d.Type("temperature", "140");
      d.Type("humidity", "wet");
      d.Click("okButton");
      d.Type("humidity", "");
      d.Radio("seaLevelPressure")->click();
      d.Click("okButton");
      QVERIFY(shown.isVisible() && shown.focusWidget() == d.Box("altitude"));
      d.Radio("stationPressure")->click();
      d.Type("altitude", "99999");  // not taken: a station pressure has no altitude
      d.Click("okButton");
    };
    CConditionsDlg dialog(settings);
    QVERIFY(dialog.RunConditionsDialog(conditions));
    QCOMPARE(conditions, (AirConditions{60.0, 1013.25, std::nullopt, std::nullopt}));
    QCOMPARE(messages.Texts(),
             (std::vector<std::string>{"Air temperature: enter a number between -50 and 60 \u00b0C",
                                       "Air temperature: enter a number between -58 and 140 \u00b0F",
                                       "Relative humidity: enter a number between 0 and 100 %",
                                       "Altitude: enter the altitude where the sea-level pressure applies"}));
    QCOMPARE(GetSetting(settings, "AirPressureUnit"), std::string("inHg"));

    prompts.onModal = [](QDialog& shown) {
      const test::FormProbe d(shown);
      QCOMPARE(d.Text("pressure"), QString("29.92"));
      d.Click("clearButton");
      d.Click("cancelButton");
    };
    CConditionsDlg again(settings);
    QVERIFY(!again.RunConditionsDialog(conditions));
    QCOMPARE(conditions, (AirConditions{60.0, 1013.25, std::nullopt, std::nullopt}));
  }
};

RUVO_UI_SUITE("ConditionsDialog", ConditionsDialogTest);

}  // namespace ruvo

#include "conditions_dialog_test.moc"
