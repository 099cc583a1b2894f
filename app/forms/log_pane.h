#pragma once
// The main window's log pane (memLog): a read-only pane of text lines with a
// vertical scroll bar that follows the last line. It keeps only the last
// kMaxLines lines, so that a program left running for weeks does not grow
// without end, and adding a line costs the same however full the pane is:
// lines are kept as a list and only the rows in view are drawn.
#include <cstdio>
#include <deque>
#include <memory>

#include "app/run/log_lines.h"
#include "platform/rtl/stringlist.h"
#include "platform/ui/controls.h"

namespace integrador {

class TLogPane;

// The pane's lines. Add appends and drops the oldest line beyond the cap;
// the other edits work anywhere, as in any list.
class TLogPaneLines : public rtl::TStrings {
  RTL_CLASS(TLogPaneLines, rtl::TStrings)

 public:
  explicit TLogPaneLines(TLogPane* pane) : pane_(pane) {}

  int Add(const rtl::String& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const rtl::String& s) override;

 protected:
  rtl::String Get(int index) const override;
  int GetCount() const override { return static_cast<int>(lines_.size()); }
  void Put(int index, const rtl::String& s) override;
  void SetUpdateState(bool updating) override;

 private:
  void checkIndex(int index, int count) const;
  TLogPane* pane_;
  std::deque<rtl::String> lines_;
};

class TLogPane : public ui::TCustomControl, public ILogLines {
  RTL_CLASS(TLogPane, ui::TCustomControl)

 public:
  static constexpr int kMaxLines = 10000;
  static constexpr int kScrollBarWidth = 17;

  explicit TLogPane(rtl::TComponent* AOwner);
  ~TLogPane() override;

  rtl::TStrings& Lines() override { return *lines_; }

  // Every line added is also written to `out` (the headless program's
  // standard output); null: not echoed.
  void SetEcho(std::FILE* out) { echo_ = out; }
  std::FILE* Echo() const { return echo_; }

  // The first line in view, and how many whole lines fit.
  int TopLine() const { return topLine_; }
  void SetTopLine(int value);
  int VisibleLineCount();
  void ScrollToEnd();

 protected:
  void CreateParams(ui::TCreateParams& params) override;
  void Paint() override;
  void Resize() override;
  void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
  void MouseMove(ui::TShiftState shift, int x, int y) override;
  void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
  bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) override;
  bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
  bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;

 private:
  friend class TLogPaneLines;
  // Told by the lines after each change; `dropped` lines left the top.
  void linesChanged(bool appended, int dropped);
  void echo(const rtl::String& line);
  int lineHeight();
  int maxTopLine();
  ui::TRect barRect();
  // The thumb's place on the track: its top (from the track's top) and size.
  void thumb(int track, int& offset, int& size);

  std::unique_ptr<TLogPaneLines> lines_;
  std::FILE* echo_ = nullptr;
  int topLine_ = 0;
  int lineHeight_ = 0;
  // Dragging the thumb: where it was grabbed.
  bool dragging_ = false;
  int dragOffset_ = 0;
};

}  // namespace integrador
