// Our own printer properties dialog: paper size, orientation, resolution.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstring>
#include <mutex>

#include "platform/winspool/properties_p.h"

namespace winspool_p {

namespace {

std::mutex answerMutex;
std::function<bool(DEVMODEA&)> testAnswer;

struct Paper {
  const char* label;
  SHORT code;
  SHORT width, length;  // tenths of a millimetre
  const char* form;
};
const Paper kPapers[] = {
    {"4 x 6 in", DMPAPER_USER, 1016, 1524, "4x6"}, {"5 x 7 in", DMPAPER_USER, 1270, 1778, "5x7"},
    {"6 x 8 in", DMPAPER_USER, 1524, 2032, "6x8"}, {"Letter", DMPAPER_LETTER, 2159, 2794, "Letter"},
    {"A4", DMPAPER_A4, 2100, 2970, "A4"},          {"A5", DMPAPER_A5, 1480, 2100, "A5"},
    {"A6", DMPAPER_A6, 1050, 1480, "A6"},
};
const int kResolutions[] = {150, 300, 600};

}  // namespace

void SetPropertiesDialogAnswer(std::function<bool(DEVMODEA&)> answer) {
  std::lock_guard<std::mutex> lock(answerMutex);
  testAnswer = std::move(answer);
}

bool ShowPropertiesDialog(HWND, const std::string& printerName, DEVMODEA& dm) {
  {
    std::lock_guard<std::mutex> lock(answerMutex);
    if (testAnswer) return testAnswer(dm);
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;

  QDialog dialog;
  dialog.setWindowTitle(QString::fromStdString(printerName) + QStringLiteral(" Properties"));
  auto* form = new QFormLayout;
  auto* paper = new QComboBox;
  int current = -1;
  for (int i = 0; i < int(std::size(kPapers)); ++i) {
    paper->addItem(kPapers[i].label);
    if (kPapers[i].width == dm.dmPaperWidth && kPapers[i].length == dm.dmPaperLength) current = i;
  }
  if (current < 0) {
    paper->addItem(QStringLiteral("%1 x %2 mm").arg(dm.dmPaperWidth / 10.0).arg(dm.dmPaperLength / 10.0));
    current = paper->count() - 1;
  }
  paper->setCurrentIndex(current);
  form->addRow(QStringLiteral("Paper size:"), paper);
  auto* portrait = new QRadioButton(QStringLiteral("Portrait"));
  auto* landscape = new QRadioButton(QStringLiteral("Landscape"));
  (dm.dmOrientation == DMORIENT_LANDSCAPE ? landscape : portrait)->setChecked(true);
  auto* orientation = new QVBoxLayout;
  orientation->addWidget(portrait);
  orientation->addWidget(landscape);
  form->addRow(QStringLiteral("Orientation:"), orientation);
  auto* resolution = new QComboBox;
  for (int dpi : kResolutions) {
    resolution->addItem(QStringLiteral("%1 DPI").arg(dpi), dpi);
    if (dpi == dm.dmPrintQuality) resolution->setCurrentIndex(resolution->count() - 1);
  }
  form->addRow(QStringLiteral("Resolution:"), resolution);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;

  if (paper->currentIndex() < int(std::size(kPapers))) {
    const Paper& p = kPapers[paper->currentIndex()];
    dm.dmPaperSize = p.code;
    dm.dmPaperWidth = p.width;
    dm.dmPaperLength = p.length;
    std::memset(dm.dmFormName, 0, sizeof dm.dmFormName);
    std::strcpy(reinterpret_cast<char*>(dm.dmFormName), p.form);
  }
  dm.dmOrientation = landscape->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  dm.dmPrintQuality = dm.dmYResolution = static_cast<SHORT>(resolution->currentData().toInt());
  dm.dmFields |= DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION |
                 DM_FORMNAME;
  return true;
}

}  // namespace winspool_p
