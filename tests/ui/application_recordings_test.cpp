// Dropped recordings: clicks converted, engine sound and engine-speed logs turned into pulse tracks.
#include <sndfile.h>

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "application_fixture.h"
#include "audio/sound_files.h"
#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "core/wave_encoding.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"
#include "ui/condition_dlg.h"
#include "ui/document_commands.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using test::AppFixture;

}  // namespace

class ApplicationRecordingsTest : public QObject {
  Q_OBJECT

 private slots:
  // A dropped recording that is not an 8-bit mono WAV is, once the user says it holds ignition
  // clicks, converted beside the run document after one question naming the free name it gets (a
  // 16-bit original of that name stays), and the converted file joins the list; dropped again, that
  // conversion is reused without a question; declined, the recording joins as it is and Calculate
  // offers its conversion again. An untitled document converts beside the recording and proposes to
  // be saved there.
  void droppedRecordingIsConvertedBesideTheDocument() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", "A run", 2500)));
    fs::create_directory(f.folder.Path() / "phone");
    const std::string flac = f.folder.File("phone/Voice 002.flac");
    QVERIFY(test::WriteSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2,
                                 test::ClickTrack(48000, 2, 1.0, 1, 0.5, 0.0)));
    test::WriteFileBytes(f.folder.File("runs/Voice 002.wav"), "the 16-bit original");
    f.Drop({flac});
    f.Drop({flac});
    QCOMPARE(
        prompts.questions,
        QStringList({"Voice 002.flac is not an 8-bit mono WAV. What does it hold?|Ignition clicks|Engine "
                     "sound|Keep it as it is",
                     "Convert Voice 002.flac to the 8-bit mono WAV Voice 002-8bit.wav next to the run document?"}));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1.wav", "Voice 002-8bit.wav", "Voice 002-8bit.wav"}));
    QCOMPARE(test::ReadEightBitWave(f.folder.File("runs/Voice 002-8bit.wav"), 48000).size(), std::size_t{48000});
    QCOMPARE(test::ReadFileBytes(f.folder.File("runs/Voice 002.wav")), std::string("the 16-bit original"));

    // Declined, then offered again before a calculation: Cancel and "Calculate anyway" keep the
    // list, Convert converts it.
    const std::string take3 = f.folder.File("phone/Take 3.flac");
    fs::copy_file(flac, take3);
    prompts.yesAnswer = false;
    prompts.questions.clear();
    f.Drop({take3});
    QCOMPARE(f.Form().Items("waveList").last(), QString::fromStdString(take3));
    const QString offer =
        "Take 3.flac is not an 8-bit mono WAV, the only recording the calculation reads. Convert it "
        "first?|Convert|Calculate anyway|Cancel";
    test::MessageCapture messages;
    prompts.choiceAnswer = 2;
    app.Frame().Commands().calculate->trigger();
    prompts.choiceAnswer = 1;
    app.Frame().Commands().calculate->trigger();
    QCOMPARE(prompts.questions.mid(2), QStringList({offer, offer}));
    QCOMPARE(messages.Texts().size(), std::size_t{1});  // the calculation's own message, as without the offer
    prompts.choiceAnswer = 0;
    app.Frame().Commands().calculate->trigger();
    QCOMPARE(f.Form().Items("waveList").last(), QString("Take 3.wav"));
    QVERIFY(fs::exists(f.folder.Path() / "runs/Take 3.wav"));

    // An untitled document has no folder yet: the conversion goes beside the recording.
    prompts.saveAnswers = {SaveAnswer::Discard};
    app.Frame().Commands().newDocument->trigger();
    prompts.yesAnswer = true;
    const std::string take4 = f.folder.File("phone/Take 4.flac");
    fs::copy_file(flac, take4);
    f.Drop({take4});
    QCOMPARE(f.Form().Items("waveList"), QStringList({QString::fromStdString(f.folder.File("phone/Take 4.wav"))}));
    QCOMPARE(prompts.questions.last(),
             QString("Convert Take 4.flac to the 8-bit mono WAV Take 4.wav next to the recording?"));
    app.Frame().Commands().saveAs->trigger();  // cancelled: no answer given
    QCOMPARE(prompts.fileRequests.back().first, QString::fromStdString(f.folder.File("phone/ruvo.dat")));
  }

  // A noisy phone recording (white noise of 12 steps under the clicks, at 22050 Hz) whose 8-bit
  // original fails or comes out wrong calculates within 2 % of the true peaks after the default
  // conversion, which writes the clicks' matched-filter envelope along their train.
  void noisyRecordingCalculatesAfterTheDefaultConversion() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    SynthOptions options;
    options.noise = 12.0;
    options.sampleRate = 22050;
    const SynthResult original = SynthesizeRun(options);
    options.bits = 16;
    const SynthResult phone = SynthesizeRun(options);
    QVERIFY(WriteSynthFiles(original, f.folder.File("original"), "take"));
    QVERIFY(WriteSynthFiles(phone, f.folder.File("phone"), "take"));
    const auto within = [&phone](double horsepower, double torque) {
      double hpPeak = 0.0, torquePeak = 0.0;
      for (const TruthRow& row : phone.truth) {
        hpPeak = std::max(hpPeak, row.horsepower);
        torquePeak = std::max(torquePeak, row.torqueFtLb);
      }
      return std::abs(horsepower / hpPeak - 1.0) < 0.02 && std::abs(torque / torquePeak - 1.0) < 0.02;
    };

    const AnalysisConfig config;
    RunCalculation unconverted(original.document, config);
    const bool originalCalculated = unconverted.Calculate(f.folder.File("original")).ok();
    QVERIFY(!originalCalculated ||
            !within(*std::max_element(unconverted.Results().horsepower.begin(), unconverted.Results().horsepower.end()),
                    *std::max_element(unconverted.Results().torque.begin(), unconverted.Results().torque.end())));

    RunParameters params = phone.document;
    params.waveFiles.clear();
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", params)));
    f.Drop({f.folder.File("phone/take.wav")});  // holds ignition clicks, converted
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take.wav"}));
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(f.folder.File("runs/take.wav"));
    QVERIFY(origin && origin->comment.find("conditioning: automatic matched-filter envelope along a train of ") !=
                          std::string::npos);
    app.Frame().Commands().calculate->trigger();
    QVERIFY(app.View().CalculationSucceeded());
    // "Max HP: 123.6 hp @ 5600 rpm", "Max Torque: 129.6 ft-lb @ 4100 rpm"
    QVERIFY2(within(f.Form().Text("summaryLine1").simplified().section(' ', 2, 2).toDouble(),
                    f.Form().Text("summaryLine2").simplified().section(' ', 2, 2).toDouble()),
             qPrintable(f.Form().Text("summaryLine1") + " / " + f.Form().Text("summaryLine2")));
  }

  // A recording of engine sound becomes a pulse track: the dialog starts from the typed Initial and
  // Final RPM widened by a quarter and Rev/Spark, and setting Rev/Spark to the pulse spacing is
  // offered when they differ. A recording the tracker cannot follow is reported and nothing is
  // written. "Track engine sound..." does the same for a listed recording, in its place.
  void engineSoundBecomesAPulseTrack() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", "A run", 2500)));
    f.Form().Fill({"initialRpm=2000", "finalRpm=6500", "revsPerIgnition=1"});
    fs::create_directory(f.folder.Path() / "phone");
    const std::string engine = f.folder.File("phone/engine.flac");
    QVERIFY(test::WriteSoundFile(engine, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1,
                                 test::EngineSweep(22050, 4, 1000.0, 7000.0, 6.0)));
    QStringList band;
    prompts.onModal = [&band](QDialog& dialog) {
      test::FormProbe probe(dialog);
      for (const char* name : {"lowRpm", "highRpm", "revsPerPulse"}) band << probe.Find<QAbstractSpinBox>(name)->text();
      probe.Find<QSpinBox>("cylinders")->setValue(4);
      probe.Find<QDoubleSpinBox>("revsPerPulse")->setValue(2.0);
      probe.Click("okButton");
    };
    prompts.choiceAnswer = 1;  // engine sound
    f.Drop({engine});
    QCOMPARE(band, QStringList({"1500 rpm", "8125 rpm", "1.00"}));
    QCOMPARE(prompts.questions,
             QStringList({"engine.flac is not an 8-bit mono WAV. What does it hold?|Ignition clicks|Engine sound|Keep "
                          "it as it is",
                          "The pulse track has one pulse every 2 revolutions. Set Rev/Spark to 2?"}));
    QCOMPARE(f.Form().Text("revsPerIgnition"), QString("2"));
    QCOMPARE(f.Form().Items("waveList").last(), QString("engine.wav"));
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(f.folder.File("runs/engine.wav"));
    QVERIFY(origin && origin->comment.starts_with("Tracked by Ruvo: engine sound; cylinders 4; strokes 4; band "
                                                  "1500-8125 rpm; revolutions per pulse 2;"));

    // Silence holds no engine: the import's message, no file, the list as it was.
    const std::string quiet = f.folder.File("phone/quiet.flac");
    QVERIFY(test::WriteSoundFile(quiet, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, std::vector<float>(44100)));
    const QStringList listed = f.Form().Items("waveList");
    {
      test::MessageCapture messages;
      f.Drop({quiet});
      QCOMPARE(messages.Texts().size(), std::size_t{1});
      QVERIFY2(messages.Texts().front().find("quiet.flac") != std::string::npos, messages.Texts().front().c_str());
    }
    QCOMPARE(f.Form().Items("waveList"), listed);
    QVERIFY(!fs::exists(f.folder.Path() / "runs/quiet.wav"));

    // A band that runs downwards is refused and the dialog stays open.
    prompts.onModal = [](QDialog& dialog) {
      test::FormProbe probe(dialog);
      probe.Find<QSpinBox>("lowRpm")->setValue(5000);
      probe.Find<QSpinBox>("highRpm")->setValue(4000);
      probe.Click("okButton");
    };
    const std::string again = f.folder.File("phone/again.flac");
    fs::copy_file(engine, again);
    {
      test::MessageCapture messages;
      f.Drop({again});
      QCOMPARE(messages.Texts(), std::vector<std::string>{"The speed band must run from a lower to a higher speed."});
    }
    QCOMPARE(f.Form().Items("waveList"), listed);

    // A 16-bit WAV kept as it is, then tracked from the list: its pulse track takes its place, and
    // Rev/Spark already agrees.
    const std::string wave = f.folder.File("phone/take.wav");
    QVERIFY(test::WriteSoundFile(wave, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1,
                                 test::EngineSweep(22050, 4, 1000.0, 7000.0, 6.0)));
    prompts.choiceAnswer = 2;  // keep it as it is
    f.Drop({wave});
    QListWidget* list = f.Form().List("waveList");
    list->clearSelection();
    list->item(list->count() - 1)->setSelected(true);
    auto* track = app.View().findChild<QAction*>("trackEngineSound");
    QVERIFY(track && track->isEnabled());
    prompts.onModal = [](QDialog& dialog) {
      test::FormProbe(dialog).Find<QDoubleSpinBox>("revsPerPulse")->setValue(2.0);
      test::FormProbe(dialog).Click("okButton");
    };
    prompts.questions.clear();
    track->trigger();
    QCOMPARE(f.Form().Items("waveList"), listed + QStringList{"take.wav"});
    QVERIFY(prompts.questions.isEmpty());
    QCOMPARE(ReadWaveOrigin(f.folder.File("runs/take.wav"))->source, wave);
  }

  // An engine-speed log becomes a pulse track without the question of what the file holds: the
  // dialog shows its first rows, finds its columns by their names and draws the pull; a column
  // that gives no pull says why and keeps OK disabled; setting Rev/Spark to the pulse spacing is
  // offered; the 10-rows-a-second log then calculates within 2 % of the true peaks.
  void engineSpeedLogBecomesAPulseTrack() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    SynthOptions options;
    options.logRateHz = 10.0;
    options.logJitterMs = 3.0;
    const SynthResult run = SynthesizeRun(options);
    QVERIFY(WriteSynthFiles(run, f.folder.File("logger"), "pull"));
    RunParameters params = run.document;
    params.waveFiles.clear();
    params.revsPerIgnition = 1.0;
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", params)));
    QString noPull;
    prompts.onModal = [&noPull](QDialog& dialog) {
      test::FormProbe probe(dialog);
      const auto* rows = probe.Find<QTableWidget>("logRows");
      auto* speed = probe.Find<QComboBox>("speedColumn");
      const auto* pull = probe.Find<QLabel>("pullText");
      QCOMPARE(rows->rowCount(), 6);
      RUVO_REQUIRE(test::FieldIs("logRows first speed", rows->item(0, 1)->text(), QString("1000")));
      QCOMPARE(speed->currentText(), QString("2: Engine RPM (rpm)"));
      RUVO_REQUIRE(probe.EnabledAre({{"okButton", true}}));
      QCOMPARE(pull->text().section(';', 0, 0), QString("Pull: 0.315 to 5.795 s, 1020 to 5954 rpm"));
      speed->setCurrentIndex(0);  // the time as engine speed
      RUVO_REQUIRE(probe.EnabledAre({{"okButton", false}}));
      noPull = pull->text();
      speed->setCurrentIndex(1);
      probe.Find<QDoubleSpinBox>("revsPerPulse")->setValue(2.0);
      probe.Click("okButton");
    };
    f.Drop({f.folder.File("logger/pull.log.csv")});
    QVERIFY2(noPull.startsWith("No pull: "), qPrintable(noPull));
    QCOMPARE(prompts.questions,
             QStringList({"The pulse track has one pulse every 2 revolutions. Set Rev/Spark to 2?"}));
    QCOMPARE(f.Form().Text("revsPerIgnition"), QString("2"));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"pull.log.wav"}));
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(f.folder.File("runs/pull.log.wav"));
    QVERIFY(origin && origin->source == f.folder.File("logger/pull.log.csv"));

    app.Frame().Commands().calculate->trigger();
    QVERIFY(app.View().CalculationSucceeded());
    const auto peak = [&run](double TruthRow::*value) {
      double largest = 0.0;
      for (const TruthRow& row : run.truth) largest = std::max(largest, row.*value);
      return largest;
    };
    // "Max HP: 131.5 hp @ 6000 rpm", "Max Torque: 130.0 ft-lb @ 3550 rpm"
    const double horsepower = f.Form().Text("summaryLine1").simplified().section(' ', 2, 2).toDouble();
    const double torque = f.Form().Text("summaryLine2").simplified().section(' ', 2, 2).toDouble();
    QVERIFY2(std::abs(horsepower / peak(&TruthRow::horsepower) - 1.0) < 0.02,
             qPrintable(f.Form().Text("summaryLine1")));
    QVERIFY2(std::abs(torque / peak(&TruthRow::torqueFtLb) - 1.0) < 0.02, qPrintable(f.Form().Text("summaryLine2")));

    // A log a document lists is converted at Calculate as the form says: its pulses Rev/Spark apart.
    fs::copy_file(f.folder.File("logger/pull.log.csv"), f.folder.File("logger/listed.csv"));
    params.waveFiles = {"../logger/listed.csv"};
    params.revsPerIgnition = 2.0;
    prompts.saveAnswers = {SaveAnswer::Discard};
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/b.dat", params)));
    prompts.onModal = nullptr;
    prompts.choiceAnswer = 0;  // convert
    app.Frame().Commands().calculate->trigger();
    QCOMPARE(f.Form().Items("waveList"), QStringList({"listed.wav"}));
    QVERIFY(app.View().CalculationSucceeded());
    QCOMPARE(f.Form().Text("summaryLine1").simplified().section(' ', 2, 2).toDouble(), horsepower);
  }

  // "Condition..." on the listed recording, clicks under loud mains hum: the dialog works out what
  // the automatic choice finds; a band reaching half the sample rate is refused and the dialog
  // stays; the copy is written with the chosen band beside the recording under a free name (the
  // file of the first name stays) and is listed in the recording's place. The action needs one
  // selected recording.
  void listedRecordingIsConditioned() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", "A run", 2500)));
    constexpr int kRate = 22050;
    std::vector<float> noisy = test::ClickTrack(kRate, 1, 3.0, 0, 0.3, 0.0);
    for (std::size_t n = 0; n < noisy.size(); ++n)
      noisy[n] += static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 50.0 * static_cast<double>(n) / kRate));
    const std::string take = f.folder.File("runs/take1.wav");
    QVERIFY(test::WriteSoundFile(take, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, kRate, 1, noisy));
    test::WriteFileBytes(f.folder.File("runs/take1-8bit.wav"), "another take");

    auto* condition = app.View().findChild<QAction*>("conditionRecording");
    QListWidget* list = f.Form().List("waveList");
    list->clearSelection();
    QVERIFY(condition && !condition->isEnabled());
    list->item(0)->setSelected(true);
    QVERIFY(condition->isEnabled());
    QString summary;
    prompts.onModal = [&summary](QDialog& dialog) {
      auto& conditioning = static_cast<CConditionDlg&>(dialog);
      QVERIFY(QTest::qWaitFor([&conditioning] { return conditioning.PreviewReady(); }, 60000));
      test::FormProbe probe(dialog);
      summary = probe.Find<QLabel>("conditioningSummary")->text();
      probe.Find<QRadioButton>("chosenBand")->click();
      probe.Find<QSpinBox>("lowHz")->setValue(2000);
      probe.Find<QSpinBox>("highHz")->setValue(11025);
      probe.Click("okButton");
      probe.Find<QSpinBox>("highHz")->setValue(5000);
      probe.Click("okButton");
    };
    test::MessageCapture messages;
    condition->trigger();
    QCOMPARE(messages.Texts(),
             std::vector<std::string>{"The band must end below 11025 Hz, half the recording's sample rate."});
    QVERIFY2(summary.startsWith("conditioning: band-pass "), qPrintable(summary));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1-8bit-2.wav"}));
    QCOMPARE(test::ReadFileBytes(f.folder.File("runs/take1-8bit.wav")), std::string("another take"));
    const std::string copy = f.folder.File("runs/take1-8bit-2.wav");
    QCOMPARE(test::ReadEightBitWave(copy, kRate).size(), noisy.size());
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(copy);
    QVERIFY(origin && origin->source == take);
    QVERIFY2(origin->comment.find("filters: high-pass 2000 Hz") != std::string::npos, origin->comment.c_str());
  }
};

RUVO_UI_SUITE("ApplicationRecordings", ApplicationRecordingsTest);

}  // namespace ruvo

#include "application_recordings_test.moc"
