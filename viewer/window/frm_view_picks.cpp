// The viewer window's marking, picking (first breaks or reflections) and
// measuring through the view's state, the readout under the cursor, and
// the table the picks are kept in.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "interpret/interpret.h"
#include "ui/ui.h"
#include "viewer/first_breaks.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/section_canvas.h"
#include "viewer/window/side_panels.h"

namespace gt7p {

namespace {

// Decimals that show a time to a tenth of the sample interval.
int TimeDecimals(const RecordHeader& header) {
  const double ms = header.intervalUs * 0.001;
  return ms > 0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(ms))) + 1, 0, 6) : 3;
}

QString Number(double value, int decimals) { return QString::fromStdString(view::FixedText(value, decimals)); }

QString Amplitude(float value) {
  return std::isfinite(value) ? QString::number(static_cast<double>(value), 'g', 7) : Ui("无效");
}

}  // namespace

// ---- marking and picking ----

void TfrmView::MarkTraceAt(int x, int y) {
  if (state_.empty()) return;
  section();  // laid out for the current size
  if (!state_.MarkTraceAt(geometry_, x, y)) return;
  Refresh(TSideTab::kMarked);
  Invalidate(false);
}

void TfrmView::SetFirstBreakAt(int x, int y) {
  if (state_.empty()) return;
  section();
  if (state_.SetPick(geometry_.TraceUnder(x, y), geometry_.TimeUnder(x, y))) PicksChanged();
}

void TfrmView::DragFirstBreak(int trace, int x, int y) {
  const view::SectionGeometry& g = geometry_;
  const int along = g.timeDown ? y : x;
  if (along < g.TimeStart() || along >= g.TimeStart() + g.TimePixels()) return;
  // A drag within one sample changes nothing: no new picture per mouse move.
  if (state_.SetPick(trace, g.TimeUnder(x, y), true)) PicksChanged();
}

void TfrmView::DeleteFirstBreakAt(int x, int y) {
  if (state_.empty()) return;
  section();
  if (state_.RemovePick(geometry_.TraceUnder(x, y))) PicksChanged();
}

void TfrmView::AutoPick() {
  if (state_.empty()) return;
  AutoPickChoice choice = AutoPickChoice::kReplaceAll;
  if (state_.anyPick()) {
    if (autoPickQuestionHook) {
      choice = autoPickQuestionHook();
    } else {
      QMessageBox box(QMessageBox::Question, windowTitle(), Ui("已有初至的道：只补拾取还没有初至的道，还是全部替换？"),
                      QMessageBox::NoButton, this);
      QPushButton* fill = box.addButton(Ui("只补空道"), QMessageBox::AcceptRole);
      QPushButton* replace = box.addButton(Ui("全部替换"), QMessageBox::DestructiveRole);
      box.addButton(Ui("取消"), QMessageBox::RejectRole);
      box.setDefaultButton(fill);
      box.exec();
      choice = box.clickedButton() == fill      ? AutoPickChoice::kFillEmpty
               : box.clickedButton() == replace ? AutoPickChoice::kReplaceAll
                                                : AutoPickChoice::kCancel;
    }
  }
  if (choice == AutoPickChoice::kCancel) return;
  std::vector<int32_t> picks(record_.channels.size(), 0);
  // After the trigger (the pre-trigger samples are the noise it is told
  // from) and within the time window.
  size_t from = 0, to = 0;
  if (view::WindowSamples(record_.header, timeWindow(), from, to)) {
    BusyCursor busy;
    std::vector<const std::vector<float>*> traces;
    for (size_t i = 0; i < record_.channels.size(); ++i) traces.push_back(&Displayed(i));
    picks = interpret::PickFirstBreaks(traces, record_.header.intervalUs, from, to);
  }
  if (state_.TakeAutomaticPicks(picks, choice == AutoPickChoice::kReplaceAll)) PicksChanged();
}

void TfrmView::SetPickKind(view::PickKind kind) {
  state_.SetPickKind(kind);
  (kind == view::PickKind::kReflection ? actPickReflections : actPickFirstBreaks)->setChecked(true);
}

void TfrmView::ClearPicks() {
  if (state_.ClearPicks()) PicksChanged();
}

void TfrmView::UndoPick() {
  if (!state_.UndoPick()) return;
  SaveLayerChoices();
  PicksChanged();
}

void TfrmView::RedoPick() {
  if (!state_.RedoPick()) return;
  SaveLayerChoices();
  PicksChanged();
}

void TfrmView::PicksChanged() {
  EditsChanged(TSideTab::kPicks | TSideTab::kLayers);
  Invalidate(false);
}

void TfrmView::EditsChanged(unsigned changes) {
  actUndo->setEnabled(state_.picks().canUndo());
  actRedo->setEnabled(state_.picks().canRedo());
  Refresh(changes);
}

void TfrmView::SetLayerChoices(const std::map<int32_t, int>& chosen, bool continuing, bool save) {
  if (state_.SetLayers(chosen, continuing)) EditsChanged(TSideTab::kLayers);
  if (save) SaveLayerChoices();
}

void TfrmView::SaveLayerChoices() {
  if (path_.empty()) return;
  try {
    // A line's record keeps them in the line's file.
    if (pnlInterpretation->LineRowOf(path_)) {
      if (!state_.layersChanged()) return;
      pnlInterpretation->SaveLineChoices(path_, state_.layers());
      state_.LayersSaved();
      return;
    }
    state_.SaveLayers(path_);
  } catch (const Error& e) {
    ShowError(e.message());
  }
}

// ---- the picks table ----

void TfrmView::LoadPicks() {
  try {
    state_.ReadPicks(path_);
  } catch (const Error& e) {
    ShowError(e.message());
  }
  // The layer choices after the picks, whose reading starts a new history.
  layersError_.clear();
  try {
    if (const interpret::LineRow* row = pnlInterpretation->LineRowOf(path_))
      state_.TakeLayers(row->layers);  // a line's record: from the line's file
    else
      state_.ReadLayers(path_);
  } catch (const Error& e) {
    layersError_ = e.message();
  }
  PicksChanged();
}

bool TfrmView::AskPicksTable() {
  ShowError(Utf8ToCp936("拾取表 ") + TextFromPath(state_.unreadableTable().filename()) +
            Utf8ToCp936(" 无法读取，不能覆盖它，请另选文件保存初至。"));
  const std::filesystem::path suggested = view::SparePicksFile(path_);
  const std::filesystem::path out = saveDialogHook ? saveDialogHook(SaveKind::kFirstBreaks, suggested)
                                                   : AskSavePath(actSavePicks->text(), suggested, Ui("CSV (*.csv)"));
  if (out.empty()) return false;
  if (state_.ChoosePicksTable(out)) return true;
  ShowError(Utf8ToCp936("不能覆盖无法读取的拾取表！"));
  return false;
}

bool TfrmView::SavePicks() {
  if (state_.empty()) return false;
  if (state_.picksTable().empty() && !AskPicksTable()) return false;
  const std::vector<PickRow> rows =
      state_.PickRows([this](int i) -> const std::string& { return record_.channels[static_cast<size_t>(i)].header; },
                      Utf8FromPath(path_.filename()));
  try {
    WriteBeside(state_.picksTable(), [&](const std::filesystem::path& part) { WritePicksTable(part, rows); });
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  }
  state_.PicksSaved();
  lblReadout->setText(Ui("拾取已保存：") + FromPath(state_.picksTable().filename()));
  return true;
}

bool TfrmView::MayLeavePicks() {
  if (!picksChanged()) return true;
  int answer = QMessageBox::Cancel;
  if (savePicksQuestionHook) {
    answer = savePicksQuestionHook();
  } else {
    QMessageBox box(QMessageBox::Question, windowTitle(), Ui("拾取（初至或反射波）已修改，是否保存？"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    answer = box.exec();
  }
  if (answer == QMessageBox::Save) return SavePicks();
  return answer == QMessageBox::Discard;
}

// ---- measuring and the readout ----

void TfrmView::MeasureAt(int x, int y) {
  if (state_.empty()) return;
  section();
  state_.MeasureAt(geometry_, x, y);
  ShowMeasure();
  pnlSection->update();
}

void TfrmView::ShowMeasure() {
  const std::vector<view::SectionView::Point>& points = state_.measure();
  const std::optional<view::Measurement> m = state_.Measured();
  if (!m) {
    lblMeasure->setText(points.empty() ? QString() : Ui("测量：再单击第二点"));
    return;
  }
  QString text = Ui("Δt ") + Number(m->dtMs, TimeDecimals(record_.header)) + Ui(" ms  Δx ") + Number(m->dxM, 2) + Ui(" m");
  if (m->velocity) text += Ui("  视速度 ") + Number(*m->velocity, 0) + Ui(" m/s");
  lblMeasure->setText(text);
}

QString TfrmView::ReadoutAt(int x, int y) const {
  const std::optional<view::Probe> probe = state_.ProbeAt(geometry_, x, y);
  if (!probe) return QString();
  QString text = Ui("时间 ") + Number(probe->ms, TimeDecimals(record_.header)) + Ui(" ms");
  if (probe->sample >= 0) text += Ui("  采样点 ") + QString::number(probe->sample + 1);
  if (probe->trace >= 0) {
    const size_t trace = static_cast<size_t>(probe->trace), i = static_cast<size_t>(probe->sample);
    if (probe->sample >= 0) {
      text += Ui("  幅值 ") + Amplitude(record_.channels[trace].samples[i]);
      if (processed()) text += Ui("（显示 ") + Amplitude(displayed_[trace][i]) + Ui("）");
    }
    text += Ui("  道号 ") + QString::number(state_.section().traces[trace].channelNumber);
  }
  return text + Ui("  距离 ") + Number(probe->distanceM, 2) + Ui(" m");
}

}  // namespace gt7p
