// Printer DCs and their jobs. Every job is drawn into a PDF at the printer's resolution; the
// built-in printer keeps that PDF in its output folder, a CUPS printer is sent it at EndDoc.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

#include "platform/gdi/gdi_p.h"
#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/trace.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"
#include "platform/winspool/winspool_p.h"

using namespace winspool_p;

namespace {

std::atomic<int> nextJobId{1};

// The job's file as the PDF writer sees it: every write goes straight to the descriptor, and
// one that the disk refused (full, over a size limit) is remembered, since the writer itself
// carries on regardless.
class JobFile : public QIODevice {
 public:
  explicit JobFile(int fd) : m_fd(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
  ~JobFile() override { Finish(); }
  bool Failed() const { return m_failed; }
  /// Puts the file on the disk and closes it; false when any part of it did not get there.
  bool Finish() {
    if (m_fd < 0) return !m_failed;
    if (fsync(m_fd) != 0) m_failed = true;
    if (::close(m_fd) != 0) m_failed = true;
    m_fd = -1;
    QIODevice::close();
    return !m_failed;
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    qint64 done = 0;
    while (done < size && m_fd >= 0) {
      ssize_t n = ::write(m_fd, data + done, size_t(size - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        m_failed = true;
        return -1;
      }
      done += n;
    }
    return done;
  }

 private:
  int m_fd;
  bool m_failed = false;
};

struct PrintJob : gdi_p::DcExtension {
  PrinterEntry printer;
  PageGeometry page;
  std::string title;
  std::string tempPath, finalPath;
  int tempFd = -1;  // the temporary file, opened by ChooseOutput
  std::unique_ptr<JobFile> file;
  std::unique_ptr<QPdfWriter> writer;
  bool docOpen = false, pageOpen = false;
  int pages = 0;
  int jobId = 0;

  void Discard() {
    writer.reset();
    file.reset();
    if (!tempPath.empty()) std::remove(tempPath.c_str());
    tempPath.clear();
    docOpen = pageOpen = false;
  }
  ~PrintJob() override { Discard(); }
};

PrintJob* JobOf(HDC handle, gdi_p::DC** dcOut) {
  gdi_p::DC* dc = gdi_p::DcFromHandle(handle);
  if (!dc || dc->kind != gdi_p::DcKind::Printer) return nullptr;
  if (dcOut) *dcOut = dc;
  return static_cast<PrintJob*>(dc->extension.get());
}

// A document name made safe for a file name.
QString FileNameFor(const std::string& title) {
  QString name = QString::fromStdString(AnsiToUtf8(title)).trimmed();
  for (QChar& c : name)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 32 || c == QLatin1Char(':')) c = QLatin1Char('_');
  if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name.prepend(QStringLiteral("Document"));
  return name.left(120);
}

bool ChooseOutput(PrintJob& job, const DOCINFOA* info) {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
  if (info && info->lpszOutput && *info->lpszOutput) {
    job.finalPath = NativePath(info->lpszOutput);
  } else if (job.printer.builtIn) {
    const QString folder = QString::fromStdString(PdfOutputFolder());
    if (!QDir().mkpath(folder)) return false;
    const QString base = folder + QLatin1Char('/') + FileNameFor(job.title) + QLatin1Char(' ') + stamp;
    QString path = base + QStringLiteral(".pdf");
    for (int n = 2; QFile::exists(path); ++n) path = base + QStringLiteral(" (%1).pdf").arg(n);
    job.finalPath = path.toStdString();
  }
  // The file is written under a temporary name beside its final place, then renamed; a job for
  // CUPS goes through a new file of its own (never one another user put in its way).
  if (!job.finalPath.empty()) {
    job.tempPath = job.finalPath + ".part";
    job.tempFd = open(job.tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  } else {
    std::string pattern = QDir::tempPath().toStdString() + "/tavorin-job-XXXXXX.pdf";
    job.tempFd = mkostemps(pattern.data(), 4, O_CLOEXEC);
    job.tempPath = pattern;
  }
  if (job.tempFd < 0) {
    job.tempPath.clear();
    return false;
  }
  return true;
}

}  // namespace

HDC CreateDCA(LPCSTR, LPCSTR device, LPCSTR, const DEVMODEA* devMode) {
  PrinterEntry printer;
  if (!device || !FindPrinter(device, printer)) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
  }
  DEVMODEA settings = DefaultDevMode(printer);
  if (devMode) {
    DEVMODEA checked;
    if (!ReadDevMode(devMode, sizeof(DEVMODEA) + devMode->dmDriverExtra, checked)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    MergeDevMode(settings, checked);
  }
  auto job = std::make_unique<PrintJob>();
  job->printer = printer;
  job->page = ResolvePage(printer, settings);
  gdi_p::DC* dc = gdi_p::NewDC(gdi_p::DcKind::Printer);
  const PageGeometry& g = job->page;
  dc->technology = DT_RASPRINTER;
  dc->bitsPixel = 24;
  dc->dpiX = g.dpiX;
  dc->dpiY = g.dpiY;
  dc->horzRes = g.horzRes;
  dc->vertRes = g.vertRes;
  dc->physWidth = g.physWidth;
  dc->physHeight = g.physHeight;
  dc->offsetX = g.offsetX;
  dc->offsetY = g.offsetY;
  // The PDF is laid out in horizontal device units; logical pixels start at the printable corner.
  QTransform base;
  base.scale(1.0, double(g.dpiX) / g.dpiY);
  base.translate(g.offsetX, g.offsetY);
  dc->base = base;
  dc->extension = std::move(job);
  return reinterpret_cast<HDC>(dc);
}

HDC AfxCreateDC(HGLOBAL devNames, HGLOBAL devMode) {
  if (!devNames) return nullptr;
  std::string driver, device, output;
  const void* names = GlobalLock(devNames);
  const bool namesOk = names && ReadDevNames(names, GlobalSize(devNames), driver, device, output);
  if (names) GlobalUnlock(devNames);
  if (!namesOk) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  DEVMODEA settings;
  bool haveSettings = false;
  if (devMode) {
    const void* mode = GlobalLock(devMode);
    haveSettings = mode && ReadDevMode(mode, GlobalSize(devMode), settings);
    if (mode) GlobalUnlock(devMode);
    if (!haveSettings) {
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
  }
  return CreateDCA(driver.c_str(), device.c_str(), output.c_str(), haveSettings ? &settings : nullptr);
}

int StartDocA(HDC handle, const DOCINFOA* info) {
  gdi_p::DC* dc = nullptr;
  PrintJob* job = JobOf(handle, &dc);
  if (!job || job->docOpen) return SP_ERROR;
  job->jobId = nextJobId++;
  job->title = info && info->lpszDocName ? info->lpszDocName : "";
  job->pages = 0;
  if (!ChooseOutput(*job, info)) return SP_ERROR;
  job->file = std::make_unique<JobFile>(job->tempFd);
  job->tempFd = -1;
  job->writer = std::make_unique<QPdfWriter>(job->file.get());
  job->writer->setCreator(QStringLiteral("Tavorin"));
  job->writer->setTitle(QString::fromStdString(AnsiToUtf8(job->title)));
  job->writer->setResolution(job->page.dpiX);
  const QPageSize size(QSizeF(job->page.widthMm, job->page.heightMm), QPageSize::Millimeter, QString(),
                       QPageSize::ExactMatch);
  job->writer->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  job->docOpen = true;
  return job->jobId;
}

int StartPage(HDC handle) {
  gdi_p::DC* dc = nullptr;
  PrintJob* job = JobOf(handle, &dc);
  if (!job || !job->docOpen || job->pageOpen) return SP_ERROR;
  if (job->pages == 0) {
    gdi_p::SetDevice(*dc, job->writer.get(), nullptr);
    if (!gdi_p::Painter(*dc)) return SP_ERROR;
  } else if (!job->writer->newPage()) {
    return SP_ERROR;
  }
  job->pageOpen = true;
  ++job->pages;
  return 1;
}

int EndPage(HDC handle) {
  PrintJob* job = JobOf(handle, nullptr);
  if (!job || !job->pageOpen) return SP_ERROR;
  job->pageOpen = false;
  return 1;
}

int EndDoc(HDC handle) {
  gdi_p::DC* dc = nullptr;
  PrintJob* job = JobOf(handle, &dc);
  if (!job || !job->docOpen) return SP_ERROR;
  gdi_p::SetDevice(*dc, nullptr, nullptr);  // ends painting: the PDF is complete
  job->writer.reset();
  const bool written = job->file->Finish();
  int result = 1;
  if (!written) {
    result = SP_ERROR;
  } else if (job->pages == 0) {
    // Nothing was printed; there is no document to deliver.
  } else if (!job->finalPath.empty()) {
    if (std::rename(job->tempPath.c_str(), job->finalPath.c_str()) == 0)
      job->tempPath.clear();
    else
      result = SP_ERROR;
  } else if (CupsSubmit(job->printer.name, job->tempPath, job->title, job->page.widthMm, job->page.heightMm) == 0) {
    result = SP_ERROR;
  }
  job->Discard();
  return result;
}

int AbortDoc(HDC handle) {
  gdi_p::DC* dc = nullptr;
  PrintJob* job = JobOf(handle, &dc);
  if (!job || !job->docOpen) return SP_ERROR;
  gdi_p::SetDevice(*dc, nullptr, nullptr);
  job->Discard();
  return 1;
}
