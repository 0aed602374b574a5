// The progress dialog "DLGINS": how MAINDIALOG builds and runs it, and the
// run's Progress as the dialog shows it.
#include "updater/dialog_progress.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "engine/busy.h"
#include "resources/updater_ids.h"
#include "runtime/alert.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"
#include "toolkit/font.h"
#include "toolkit/icon.h"
#include "toolkit/look.h"
#include "toolkit/pump.h"
#include "toolkit/resource_module.h"
#include "toolkit/say.h"
#include "toolkit/strip.h"
#include "updater/run.h"
#include "updater/run_end_message.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

constexpr COLORREF kRootColour = 0x800000;  // navy
constexpr COLORREF kMeterPane = 0xC0C0C0, kMeterText = 0x808080;
constexpr COLORREF kMeterBar = 0xFF0000, kMeterBarText = 0x00FFFF;

toolkit::TMeter& meterOf(DialogProgress& p, Meter m) {
    return *p.meters[static_cast<size_t>(m)];
}

// The accessor of one entry of the meter counters.
runtime::Block counterAccessor(Meter m) {
    const auto i = static_cast<size_t>(m);
    return runtime::Block([i](std::span<const Value> a) {
        if (!a.empty()) runState().meterCounters[i] = static_cast<long>(a[0].numOr(0));
        return Value(static_cast<double>(runState().meterCounters[i]));
    });
}

std::shared_ptr<toolkit::TFont> arial(bool bold) {
    toolkit::FontNew f;
    f.cFaceName = "Arial";
    f.nWidth = 5;
    f.nHeight = 14;
    f.lBold = bold;
    return toolkit::TFont::New(f);
}

// The company browse's row: the done or pending mark, the code, the name.
runtime::Block companyRow(Value pending, Value done) {
    return runtime::Block([pending, done](std::span<const Value>) {
        const Value code = tables::aliasField("Empresa", "CODEMP");
        const bool reached = companyReached(code.textOr(), runState().currentCode);
        return Value::newArray(
            {reached ? done : pending, code, tables::aliasField("Empresa", "CNOMBRE")});
    });
}

std::shared_ptr<toolkit::TMeter> bindMeter(const std::shared_ptr<toolkit::TDialog>& dialog, int id,
                                           Meter m, const std::shared_ptr<toolkit::TFont>& font) {
    toolkit::MeterRedefine r;
    r.nId = id;
    r.bSetGet = counterAccessor(m);
    r.nTotal = 100;
    r.oWnd = dialog;
    r.lUpdate = false;
    r.oFont = font;
    r.nClrPane = kMeterPane;
    r.nClrText = kMeterText;
    r.nClrBar = kMeterBar;
    r.nClrBText = kMeterBarText;
    return toolkit::TMeter::ReDefine(r);
}

std::shared_ptr<toolkit::TBitmap> bindBitmap(const std::shared_ptr<toolkit::TDialog>& dialog,
                                             int id, const char* name, bool transparent) {
    toolkit::BitmapRedefine r;
    r.nId = id;
    r.cResName = name;
    r.oWnd = dialog;
    r.lTransparent = transparent;
    auto b = toolkit::TBitmap::ReDefine(r);
    // The pictures are drawn for the size their controls take with the
    // usual dialog font; a screen whose font makes the dialog another size
    // gets them scaled to fit, never cropped.
    b->lStretch = true;
    return b;
}

void bindBrowse(DialogProgress& p, const std::shared_ptr<toolkit::TFont>& font, Value pending,
                Value done) {
    toolkit::BrowseRedefine b;
    b.nId = IDC_INS_BROWSE;
    b.bLine = companyRow(std::move(pending), std::move(done));
    b.oWnd = p.dialog;
    b.aHeaders = {"#", "Cod.", "Nombre"};
    b.aColSizes = {16, 30, 185};
    b.oFont = font;
    b.cAlias = "Empresa";
    p.browse = toolkit::TWBrowse::ReDefine(b);
    p.browse->nLineStyle = toolkit::NLINESTYLE();
    p.browse->SetColor(0, GetSysColor(toolkit::LCOLORBRW() ? COLOR_BTNFACE : COLOR_WINDOW));
}

// Builds the dialog "DLGINS" for MAINDIALOG once the run is prepared: its
// Arial fonts and icon, the installation's root in its label, the company
// browse, the two meters and the three pictures bound to their template
// items. Nothing is shown yet; Activate does that.
void buildDialog(DialogProgress& p, const std::string& root, Value pending, Value done) {
    const auto bold = arial(true);
    const auto regular = arial(false);
    toolkit::DialogNew d;
    d.cResName = Value("DLGINS");
    d.oIcon = toolkit::TIcon::New(Value("Conta"));
    d.oFont = bold;
    p.dialog = toolkit::TDialog::New(d);
    toolkit::SayRedefine say;
    say.nId = IDC_INS_ROOT;
    say.bGet = [root] { return Value(root); };
    say.oWnd = p.dialog;
    say.nClrText = kRootColour;
    toolkit::TSay::ReDefine(say);
    bindBrowse(p, bold, std::move(pending), std::move(done));
    p.meters[static_cast<size_t>(Meter::kCompany)] =
        bindMeter(p.dialog, IDC_INS_COMPANY_METER, Meter::kCompany, regular);
    p.meters[static_cast<size_t>(Meter::kFile)] =
        bindMeter(p.dialog, IDC_INS_FILE_METER, Meter::kFile, regular);
    p.animation = bindBitmap(p.dialog, IDC_INS_ANIMATION, "ACTUA0", false);
    bindBitmap(p.dialog, IDC_INS_BANNER, "BMPACTUA", false);
    bindBitmap(p.dialog, IDC_INS_LOGO, "BMPLOGO", true);
    runState().hasPicture = true;
}

}  // namespace

void DialogProgress::setCaption(Meter meter, std::string_view text) {
    toolkit::TMeter& m = meterOf(*this, meter);
    m.cText = std::string(text);
    m.Refresh(false);
}

void DialogProgress::setTotal(Meter meter, long total) {
    meterOf(*this, meter).SetTotal(static_cast<double>(total));
}

void DialogProgress::setValue(Meter meter, long value) {
    meterOf(*this, meter).Set(static_cast<double>(value));
}

void DialogProgress::refreshCompanies(std::string_view) {
    // The row builder reads the current company code from the run state.
    if (browse) browse->Refresh(false);
}

void DialogProgress::showFrame(int frame) {
    if (animation) animation->SetBMP("ACTUA" + std::to_string(frame));
}

class DialogProgress::Trace {
public:
    explicit Trace(std::string file) : file_(std::move(file)) {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&last_);
    }

    // A call of pump(), looking at the messages or skipped as too soon.
    void called(bool busyHook) { ++(busyHook ? busyCalls_ : runCalls_); }
    // The pump is about to look: the time since it last looked is a gap,
    // kept when it is among the longest.
    void looking(bool busyHook) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const double ms = static_cast<double>(now.QuadPart - last_.QuadPart) * 1000.0 /
                          static_cast<double>(frequency_.QuadPart);
        where_ = whereNow(busyHook);
        if (longest_.size() < kKept || ms > longest_.back().ms) {
            longest_.push_back(Gap{ms, lastWhere_, where_});
            std::sort(longest_.begin(), longest_.end(),
                      [](const Gap& a, const Gap& b) { return a.ms > b.ms; });
            if (longest_.size() > kKept) longest_.pop_back();
        }
    }
    // It has looked: the next gap starts now, here.
    void looked() {
        QueryPerformanceCounter(&last_);
        lastWhere_ = where_;
    }

    void write() const {
        std::FILE* f = std::fopen(file_.c_str(), "w");
        if (!f) return;
        std::fprintf(f,
                     "pump calls: %ld from the run, %ld from the engine's busy hook; "
                     "the longest times between two looks at the messages:\n",
                     runCalls_, busyCalls_);
        for (const Gap& g : longest_)
            std::fprintf(f, "%8.1f ms  from %s\n            to   %s\n", g.ms, g.from.c_str(),
                         g.to.c_str());
        std::fclose(f);
    }

private:
    static constexpr size_t kKept = 12;
    struct Gap {
        double ms;
        std::string from, to;
    };
    // The innermost routines with their lines, innermost first; for the
    // busy hook also the program's own code addresses that called it (as
    // offsets in the program's image, for addr2line on updater.exe.debug),
    // since the engine records no frames.
    static std::string whereNow(bool busyHook) {
        std::string out;
        if (busyHook) {
            out = "[busy hook";
            void* calls[8] = {};
            const USHORT n = RtlCaptureStackBackTrace(2, 7, calls, nullptr);
            const auto base = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
            char text[32];
            for (USHORT i = 0; i < n; ++i) {
                std::snprintf(
                    text, sizeof text, " +0x%llx",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(calls[i]) - base));
                out += text;
            }
            out += "] ";
        }
        for (int level = 0; level < 4; ++level) {
            const std::string name = runtime::PROCNAME(level);
            if (name.empty()) break;
            if (level > 0) out += " < ";
            out += name + "(" + std::to_string(runtime::PROCLINE(level)) + ")";
        }
        return out;
    }
    std::string file_;
    LARGE_INTEGER frequency_{}, last_{};
    std::string lastWhere_ = "(the start)", where_;
    std::vector<Gap> longest_;
    long runCalls_ = 0, busyCalls_ = 0;
};

DialogProgress::DialogProgress() {
    if (const char* file = std::getenv("UPDATER_PUMP_TRACE"); file && *file)
        trace_ = std::make_unique<Trace>(file);
}

DialogProgress::~DialogProgress() {
    if (trace_) trace_->write();
}

void DialogProgress::pump() {
    pumpFrom(false);
}

void DialogProgress::pumpFrom(bool busyHook) {
    if (heldError_) std::rethrow_exception(std::exchange(heldError_, nullptr));
    if (trace_) trace_->called(busyHook);
    const DWORD now = GetTickCount();
    if (pumpsDone_ > 0 && now - lastPump_ < kPumpIntervalMs) {
        ++pumpsSkipped_;
        return;
    }
    lastPump_ = now;
    ++pumpsDone_;
    if (trace_) trace_->looking(busyHook);
    toolkit::SYSREFRESH();
    if (trace_) trace_->looked();
}

void DialogProgress::busyPump(void* self) {
    auto* p = static_cast<DialogProgress*>(self);
    if (p->heldError_) return;
    try {
        p->pumpFrom(true);
    } catch (...) {
        p->heldError_ = std::current_exception();
    }
}

void DialogProgress::companyStarted(std::string_view, std::string_view) {}

void DialogProgress::stepStarted(std::string_view) {}

void DialogProgress::stepProgress(long, long) {
    LCAMBIAICO();
}

void DialogProgress::companyDone(const CompanyReport&) {}

void DialogProgress::runDone(int exitCode, const std::vector<std::string>& problems) {
    const RunEndMessage m = runEndMessage(exitCode, problems);
    if (m.text.empty()) return;
    if (exitCode == 1)
        runtime::MSGSTOP(Value(m.text), Value(m.title));
    else
        runtime::MSGALERT(Value(m.text), Value(m.title));
}

void MAINDIALOG(const std::optional<std::string>& cPath,
                const std::optional<std::string>& cVariant) {
    runtime::Frame frame("MAIN");
    frame.param("cPath", cPath).param("cVariant", cVariant);
    frame.here();
    const std::optional<std::string> root = prepareRun(cPath, cVariant);
    if (!root) return;  // reported; the exit code says nothing ran
    // The two marks live in the browse bitmap strip; the DELETEOBJECT calls
    // on them at the end release nothing.
    const toolkit::StripSlot pending = toolkit::XLOADBITMAP(nullptr, Value("BMPNOACT"));
    const toolkit::StripSlot done = toolkit::XLOADBITMAP(nullptr, Value("BMPSIACT"));
    DialogProgress progress;
    struct Shown {
        explicit Shown(Progress* p) { runState().dialog = p; }
        ~Shown() { runState().dialog = nullptr; }
        Shown(const Shown&) = delete;
        Shown& operator=(const Shown&) = delete;
    } shown(&progress);
    frame.here();
    buildDialog(progress, *root, toolkit::stripSlotValue(pending), toolkit::stripSlotValue(done));
    // The run cannot be cancelled: Escape and close requests must not hide
    // the window while the run goes on behind it. Only the start hook's own
    // End closes it.
    bool running = true;
    progress.dialog->lValidEsc = true;
    progress.dialog->bStart = [&progress, &running, root] {
        runtime::Frame hook("(b)MAIN");
        // The hook runs inside the dialog's first paint, before its items
        // have painted: draw them all now, so the first picture the user
        // sees is whole.
        RedrawWindow(progress.dialog->hWnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        progress.pump();  // what came while it painted
        progress.browse->Disable();
        struct BusyPumps {
            explicit BusyPumps(DialogProgress* p) {
                engine::setBusyHook(&DialogProgress::busyPump, p);
            }
            ~BusyPumps() { engine::setBusyHook(nullptr, nullptr); }
            BusyPumps(const BusyPumps&) = delete;
            BusyPumps& operator=(const BusyPumps&) = delete;
        } busyPumps(&progress);
        ACTUA(*root);
        tables::DBCLOSEALL();
        progress.pump();  // raises an error a handler raised inside the engine
        progress.runDone(runState().exitCode, runState().problems);
        running = false;
        progress.dialog->End();
    };
    toolkit::DialogActivate a;
    a.lCentered = true;
    a.bValid = [&running](toolkit::TWindow&) { return Value(!running); };
    a.bInit = [](toolkit::TWindow&) {
        INICIODLG();
        return Value();
    };
    frame.here();
    progress.dialog->Activate(a);
    toolkit::DELETEOBJECT(toolkit::stripSlotValue(pending));
    toolkit::DELETEOBJECT(toolkit::stripSlotValue(done));
    toolkit::FREERESOURCES();
    toolkit::RESALLFREE();
}

}  // namespace updater
