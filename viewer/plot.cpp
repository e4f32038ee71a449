#include "viewer/plot.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/cp936.h"
#include "base/error.h"
#include "viewer/section_painter.h"

namespace gt7p {
namespace {

// Fonts need a GUI application; a terminal has no display, so the minimal
// platform with the system's fonts serves unless one was chosen (fontconfig
// here, as offscreen has; the system's font list on Windows, where
// offscreen would look only in a fonts folder beside Qt).
// Qt's own notes (a missing runtime folder and the like) are not the
// system's messages: the terminal gets only those.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(message.toLocal8Bit().constData(), stderr);
    std::abort();
  }
}

std::unique_ptr<QGuiApplication> EnsureApplication() {
  if (QCoreApplication::instance()) return nullptr;
  qInstallMessageHandler(QuietQt);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
  static int argc = 1;
  static char name[] = "gt7p-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

void PlotRecordFile(const std::filesystem::path& recordPath, const std::filesystem::path& pngPath, int width,
                    int height) {
  RecordReader reader(recordPath);
  auto app = EnsureApplication();

  view::Section section;
  section.header = reader.header();
  section.fileName = TextFromPath(recordPath.filename());
  section.headerLines = HeaderFieldLines(section.header);
  view::TimeSpan(section.header, section.firstMs, section.lastMs);
  section.traces.resize(static_cast<size_t>(section.header.channelCount));
  view::Frame frame;
  const view::SectionGeometry geometry = view::FitSection(section, width, height, frame);

  // One channel's samples at a time: each is reduced to its columns at once.
  RecordChannel channel;
  for (int i = 0; i < section.header.channelCount; ++i) {
    reader.ReadChannel(i, channel);
    section.traces[static_cast<size_t>(i)] = view::MakeSectionTrace(channel, geometry.width);
  }

  QImage image(width, height, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    view::PaintSection(painter, section, geometry, frame, view::Scaling(), width, height);
  }
  const QImage indexed = view::WithPalette(image);
  QImageWriter writer(QString::fromStdString(Utf8FromPath(pngPath)), "png");
  if (!writer.write(indexed.isNull() ? image : indexed))
    throw Error(Utf8ToCp936(writer.error() == QImageWriter::DeviceError ? "无法创建文件！" : "写入文件失败！"));
}

}  // namespace gt7p
