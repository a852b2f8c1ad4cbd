// Reads the page sizes of a PDF file, in points.
#pragma once

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <vector>

inline std::vector<QSizeF> PdfPageSizes(const QString& path) {
  std::vector<QSizeF> sizes;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return sizes;
  const QString text = QString::fromLatin1(file.readAll());
  static const QRegularExpression box(
      QStringLiteral(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"));
  for (auto it = box.globalMatch(text); it.hasNext();) {
    auto m = it.next();
    sizes.emplace_back(m.captured(3).toDouble() - m.captured(1).toDouble(),
                       m.captured(4).toDouble() - m.captured(2).toDouble());
  }
  if (sizes.empty()) {
    // Compressed object streams hide the boxes; ask poppler when it is installed.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (info.waitForFinished(30000)) {
      static const QRegularExpression line(QStringLiteral(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"));
      auto m = line.match(QString::fromLatin1(info.readAllStandardOutput()));
      if (m.hasMatch()) sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
  }
  return sizes;
}
