#include "ui/condition_dlg.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "audio/recording_conversion.h"
#include "core/message.h"
#include "desktop/conditioned_copy.h"
#include "ui/dialog_buttons.h"
#include "ui/user_prompts.h"

namespace ruvo {

// The 8-bit samples of a recording as a min/max envelope per pixel column, on the full 0..255
// scale so two views compare; a line of text instead where there is nothing to draw.
// Single-threaded.
class WaveEnvelopeView : public QWidget {
 public:
  WaveEnvelopeView(const char* name, QString caption, QWidget* parent) : QWidget(parent), title(std::move(caption)) {
    setObjectName(QString::fromLatin1(name));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    const int line = fontMetrics().height();
    setMinimumSize(line * 40, line * 5);
  }

  void ShowSamples(std::vector<std::uint8_t> shown) {
    samples = std::move(shown);
    note.clear();
    columns.clear();
    update();
  }
  void ShowNothing(const QString& why) {
    samples.clear();
    note = why;
    columns.clear();
    update();
  }

  QSize sizeHint() const override {
    const int line = fontMetrics().height();
    return {line * 32, line * 6};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot = rect().adjusted(1, 1, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(plot);
    const auto y = [&plot](int step) { return plot.bottom() - (step * (plot.height() - 1)) / kLargestStep; };
    painter.drawLine(plot.left(), y(kMidStep), plot.right(), y(kMidStep));
    if (samples.empty()) {
      painter.setPen(palette().color(QPalette::Text));
      painter.drawText(plot.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, note);
    } else {
      if (static_cast<int>(columns.size()) != plot.width()) Decimate(plot.width());
      painter.setPen(palette().color(QPalette::Highlight));
      for (std::size_t x = 0; x < columns.size(); ++x) {
        const int at = plot.left() + static_cast<int>(x);
        painter.drawLine(at, y(columns[x].first), at, y(columns[x].second));
      }
    }
    // On a patch of its own, so the envelope beneath cannot hide it.
    const QRect titleBox(plot.left() + 1, plot.top() + 1, fontMetrics().horizontalAdvance(title) + 8,
                         fontMetrics().height() + 2);
    painter.fillRect(titleBox, palette().base());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(titleBox, Qt::AlignCenter, title);
  }

 private:
  static constexpr int kLargestStep = 255;
  static constexpr int kMidStep = 128;  // silence

  // The lowest and highest sample of each of width columns, each column a contiguous share.
  void Decimate(int width) {
    columns.assign(static_cast<std::size_t>(std::max(width, 0)), {kMidStep, kMidStep});
    const std::size_t count = samples.size();
    for (std::size_t x = 0; x < columns.size(); ++x) {
      const std::size_t first = x * count / columns.size();
      const std::size_t last = std::max(first + 1, (x + 1) * count / columns.size());
      const auto [low, high] =
          std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(std::min(first, count - 1)),
                              samples.begin() + static_cast<std::ptrdiff_t>(std::min(last, count)));
      columns[x] = {*low, *high};
    }
  }

  QString title;
  std::vector<std::uint8_t> samples;
  std::vector<std::pair<int, int>> columns;  // lowest and highest step, per pixel column
  QString note;
};

namespace {

constexpr int kLowestHz = 1;
constexpr int kHighestHz = 384000;  // above half of any rate the import writes
constexpr int kHzStep = 100;
constexpr int kPreviewDelayMs = 150;  // typing a cut-off starts one preview, not one per digit

// A recording converted for the preview: its 8-bit samples as the copy would hold them.
struct Preview {
  bool converted = false;
  std::vector<std::uint8_t> samples;
  ConversionReport report;
  std::string error;
};

Preview Convert(const DecodedAudio& audio, const FilterChoice& filters, bool normalise) {
  ConversionOptions options;
  options.filters = filters;
  options.normalise = normalise;
  Preview preview;
  preview.converted = ConvertRecording(audio, options, preview.samples, preview.report, preview.error);
  return preview;
}

QSpinBox* HzBox(QWidget& parent, const char* name, double hz) {
  auto* box = new QSpinBox(&parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(kLowestHz, kHighestHz);
  box->setSingleStep(kHzStep);
  box->setSuffix(QCoreApplication::translate("ruvo::CConditionDlg", " Hz"));
  box->setValue(static_cast<int>(std::lround(hz)));
  return box;
}

}  // namespace

CConditionDlg::CConditionDlg(const QString& recordingName, std::shared_ptr<const DecodedAudio> sound, QWidget* parent)
    : QDialog(parent), audio(std::move(sound)) {
  setObjectName(QStringLiteral("conditionDialog"));
  setWindowTitle(tr("Condition Recording"));
  auto* intro = new QLabel(
      tr("Ruvo writes a filtered copy of %1 beside it and lists the copy in its place.").arg(recordingName), this);
  intro->setWordWrap(true);

  // The plain conversion: the recording as it is, in 8-bit steps.
  Preview plain = Convert(*audio, FilterChoice{false, 0.0, 0.0}, false);
  sampleRateHz = plain.converted ? plain.report.rate : audio->sampleRate;
  const double nyquistHz = sampleRateHz / 2.0;

  auto* automatic = new QRadioButton(tr("&Automatic (finds the clicks and lifts them over the noise)"), this);
  automatic->setObjectName(QStringLiteral("automaticBand"));
  auto* chosen = new QRadioButton(tr("&Band:"), this);
  chosen->setObjectName(QStringLiteral("chosenBand"));
  choices = new QButtonGroup(this);
  choices->addButton(automatic, 0);
  choices->addButton(chosen, 1);
  automatic->setChecked(true);
  lowHz = HzBox(*this, "lowHz", kDefaultHighPassHz);
  highHz = HzBox(*this, "highHz", std::min(4000.0, std::floor(nyquistHz) - 1.0));
  auto* band = new QHBoxLayout;
  band->addWidget(chosen);
  band->addWidget(lowHz);
  band->addWidget(new QLabel(tr("to"), this));
  band->addWidget(highHz);
  band->addStretch();
  summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("conditioningSummary"));
  summary->setWordWrap(true);

  before = new WaveEnvelopeView(
      "beforeWave", tr("Before (the whole recording, %1 s)").arg(audio->DurationSeconds(), 0, 'f', 1), this);
  after = new WaveEnvelopeView("afterWave", tr("After"), this);
  if (plain.converted)
    before->ShowSamples(std::move(plain.samples));
  else
    before->ShowNothing(QString::fromStdString(plain.error));

  auto* form = new QFormLayout(this);
  form->addRow(intro);
  form->addRow(automatic);
  form->addRow(band);
  form->addRow(summary);
  form->addRow(before);
  form->addRow(after);
  form->addRow(OkCancelBox(*this));

  delay = new QTimer(this);
  delay->setSingleShot(true);
  delay->setInterval(kPreviewDelayMs);
  connect(delay, &QTimer::timeout, this, &CConditionDlg::UpdatePreview);
  const auto changed = [this] {
    lowHz->setEnabled(choices->checkedId() == 1);
    highHz->setEnabled(choices->checkedId() == 1);
    choiceChanged = true;
    delay->start();
  };
  connect(choices, &QButtonGroup::idClicked, this, changed);
  connect(lowHz, &QSpinBox::valueChanged, this, changed);
  connect(highHz, &QSpinBox::valueChanged, this, changed);
  lowHz->setEnabled(false);
  highHz->setEnabled(false);
  UpdatePreview();
}

CConditionDlg::~CConditionDlg() {
  if (worker) worker->wait();
}

bool CConditionDlg::Ask(FilterChoice& filters) {
  if (Prompts().RunModal(*this) != QDialog::Accepted) return false;
  filters = CurrentChoice();
  return true;
}

bool CConditionDlg::PreviewReady() const {
  return worker == nullptr && !choiceChanged && !delay->isActive();
}

void CConditionDlg::accept() {
  if (choices->checkedId() == 1) {
    switch (CheckBand(lowHz->value(), highHz->value(), sampleRateHz)) {
      case BandProblem::kNone:
        break;
      case BandProblem::kLowNotBelowHigh:
        ShowMessage(tr("The band must run from a lower to a higher frequency.").toStdString());
        lowHz->setFocus();
        return;
      case BandProblem::kHighNotBelowNyquist:
        ShowMessage(tr("The band must end below %1 Hz, half the recording's sample rate.")
                        .arg(sampleRateHz / 2.0)
                        .toStdString());
        highHz->setFocus();
        return;
    }
  }
  QDialog::accept();
}

FilterChoice CConditionDlg::CurrentChoice() const {
  if (choices->checkedId() != 1) return FilterChoice{};
  return FilterChoice{false, static_cast<double>(lowHz->value()), static_cast<double>(highHz->value())};
}

void CConditionDlg::UpdatePreview() {
  if (worker) return;  // the running one starts the next when it ends
  choiceChanged = false;
  const FilterChoice filters = CurrentChoice();
  if (!filters.automatic && CheckBand(filters.highPassHz, filters.lowPassHz, sampleRateHz) != BandProblem::kNone) {
    summary->clear();
    after->ShowNothing(tr("no band: its low edge must lie below its high edge, and its high edge below %1 Hz")
                           .arg(sampleRateHz / 2.0));
    return;
  }
  summary->setText(tr("conditioning: working it out..."));
  auto result = std::make_shared<Preview>();
  worker = QThread::create([sound = audio, filters, result] { *result = Convert(*sound, filters, true); });
  worker->setParent(this);
  connect(worker, &QThread::finished, this, [this, result] {
    worker->deleteLater();
    worker = nullptr;
    if (result->converted) {
      const std::string& said =
          result->report.conditioning.empty() ? result->report.filters : result->report.conditioning;
      summary->setText(tr("conditioning: %1").arg(QString::fromStdString(said)));
      after->ShowSamples(std::move(result->samples));
    } else {
      summary->clear();
      after->ShowNothing(QString::fromStdString(result->error));
    }
    if (choiceChanged && !delay->isActive()) UpdatePreview();
  });
  worker->start();
}

}  // namespace ruvo
