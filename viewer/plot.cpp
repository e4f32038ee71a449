#include "viewer/plot.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "viewer/first_breaks.h"
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

Error OutOfMemory() { return FailureError(Failure::kOutOfMemory); }

}  // namespace

std::unique_ptr<QGuiApplication> view::EnsureGuiApplication() { return EnsureApplication(); }

namespace {

// The record's section made as the viewer makes it, and `draw` given it with
// the samples as displayed (one channel at a time).
void WithRecordSection(RecordReader& reader, const std::filesystem::path& recordPath, const PlotOptions& options,
                       const std::function<void(view::Section&, const std::optional<view::ViewRange>&,
                                                const view::DisplayedSamples&)>& draw) {
  // The channel headers first: where the traces lie may hang on their distances.
  RecordChannel channel;
  view::Section section = view::MakeSection(reader.header(), recordPath, [&](int i) {
    reader.ReadChannel(i, channel, false);
    return channel.header;
  });
  section.settingsText = view::SettingsText(options.display, options.processing);
  try {
    section.firstBreaks = view::FirstBreaksBeside(section, recordPath, nullptr);
  } catch (const Error&) {
    // A table that can't be read is left out of the picture; the viewer says why.
  }
  std::optional<view::ViewRange> range;
  if (options.timeRangeMs) {
    range = view::FullRange(section, view::MakeTraceAxis(section, options.display.byDistance));
    range->firstMs = options.timeRangeMs->first;
    range->lastMs = options.timeRangeMs->second;
  }
  // One channel's samples at a time: each is reduced to its columns at once.
  const view::TraceProcessor processor(section.header, options.processing);
  draw(section, range, [&](int i) -> const std::vector<float>& {
    reader.ReadChannel(i, channel);
    processor.Apply(channel.samples);
    return channel.samples;
  });
}

}  // namespace

std::vector<FieldLine> view::PaintRecordFile(QPainter& painter, const std::filesystem::path& recordPath,
                                             const PlotOptions& options, int width, int height, bool withPanel) {
  RecordReader reader(recordPath);
  std::vector<FieldLine> lines;
  WithRecordSection(reader, recordPath, options,
                    [&](Section& section, const std::optional<ViewRange>& range, const DisplayedSamples& displayed) {
                      PaintWholeSection(painter, section, options.display, range, width, height, displayed, withPanel);
                      lines = section.headerLines;
                    });
  return lines;
}

void PlotRecordFile(const std::filesystem::path& recordPath, const std::filesystem::path& pngPath,
                    const PlotOptions& options) {
  RecordReader reader(recordPath);
  auto app = EnsureApplication();
  try {
    WithRecordSection(reader, recordPath, options,
                      [&](view::Section& section, const std::optional<view::ViewRange>& range,
                          const view::DisplayedSamples& displayed) {
                        const QImage image =
                            view::DrawSection(section, options.display, range, options.width, options.height, displayed);
                        if (image.isNull()) throw OutOfMemory();
                        view::WritePng(image, pngPath);
                      });
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
}

}  // namespace gt7p
