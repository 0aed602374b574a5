// The window message box on a real display: its measured layout for one,
// four and five buttons and for a long wrapped message, the pressed
// button's number, closing without a button, and the self-closing box.
#include <gtest/gtest.h>

#include <algorithm>

#include "os/clock.h"
#include "runtime/alert.h"
#include "startup/dialog_font.h"
#include "toolkit/alert_box.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using runtime::Value;

constexpr COLORREF kModernPane = 0xCAD3D7;

// The box's font height, measured here on our own.
int boxFontHeight() {
    GdiObject font(CreateFontA(startup::NFONTHSIZE(), startup::NFONTVSIZE(), 0, 0, 0, 0, 0, 0, 0, 0,
                               0, 0, 0, kAlertFontFace));
    WindowDC dc(nullptr);
    SelectedObject selected(dc.get(), font.get());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    return tm.tmHeight;
}

Value captions(std::initializer_list<const char*> list) {
    runtime::Array a;
    for (const char* c : list) a.emplace_back(c);
    return Value::newArray(std::move(a));
}

// What a test sees of a box on the screen.
struct BoxView {
    int width = 0, height = 0;  // outer size
    int inner = 0;              // I = width - 8
    int clientHeight = 0;
    std::vector<RECT> buttons;  // client coordinates, left to right
    std::vector<std::string> texts;
    HWND focus = nullptr;
    std::vector<HWND> handles;  // left to right
    COLORREF corner = 0;        // a pixel of the background
    COLORREF iconCentre = 0;
};

BoxView look(HWND box) {
    BoxView v;
    RECT r{}, client{};
    GetWindowRect(box, &r);
    GetClientRect(box, &client);
    v.width = r.right - r.left;
    v.height = r.bottom - r.top;
    v.inner = v.width - 8;
    v.clientHeight = client.bottom;
    std::vector<HWND> buttons = test::childrenOfClass(box, "Button");
    std::sort(buttons.begin(), buttons.end(), [box](HWND a, HWND b) {
        return test::rectIn(a, box).left < test::rectIn(b, box).left;
    });
    for (HWND b : buttons) {
        v.buttons.push_back(test::rectIn(b, box));
        v.texts.push_back(test::windowText(b));
    }
    v.handles = buttons;
    v.focus = GetFocus();
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    v.corner = test::clientPixel(box, 3, 3);
    const int h = boxFontHeight() + 3;
    v.iconCentre = test::clientPixel(box, 18 + 16, h + 16);
    return v;
}

class AlertBoxTest : public ::testing::Test {
protected:
    // Shows a box; while it is up, looks at it, saves a screenshot and
    // then runs finish(box) (which must close it).
    int show(const Value& message, const Value& buttons, const char* title,
             std::function<void(HWND)> finish) {
        whenShown(title, std::move(finish));
        return runtime::_ALERT(message, buttons, Value(title));
    }
    void whenShown(const char* title, std::function<void(HWND)> finish) {
        test::whenWindowShows(title, [this, title, finish](HWND box) {
            view_ = look(box);
            std::string name;
            for (char c : std::string(title))
                name.push_back((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '_');
            test::saveScreenshot(box, "alert_" + name);
            finish(box);
        });
    }
    static void press(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

    WindowAlertUi ui_;
    runtime::ScopedAlertUi scoped_{ui_};
    BoxView view_;
    const int h_ = boxFontHeight() + 3;
};

TEST_F(AlertBoxTest, OneButtonSitsAtTheBottomRightWithTheFocus) {
    const int answer = show(Value("Copia terminada."), Value(), "Caja de un boton",
                            [this](HWND) { press(view_.handles.at(0)); });
    EXPECT_EQ(answer, 1);
    ASSERT_EQ(view_.buttons.size(), 1u);
    EXPECT_EQ(view_.texts[0], "&Aceptar");
    EXPECT_EQ(view_.focus, view_.handles[0]);
    const RECT b = view_.buttons[0];
    EXPECT_EQ(b.right, view_.inner - 10) << "right-aligned";
    EXPECT_EQ(b.bottom - b.top, h_ + 8);
    const int v = view_.height - GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(b.top, v - h_ - (h_ + 8));
    // Short text: the width comes from the text's minimum, 70 + W + 50.
    EXPECT_GE(view_.inner, 70 + 10 + 50);
    EXPECT_EQ(view_.corner, kModernPane);
    EXPECT_NE(view_.iconCentre, kModernPane) << "the icon is drawn at (18, H)";
}

TEST_F(AlertBoxTest, FourButtonsInTheGivenOrderLeftToRight) {
    const int answer = show(Value("\xBF"
                                  "Qu\xE9 desea hacer?"),
                            captions({"&Uno", "&Dos", "&Tres", "&Cuatro"}), "Caja de cuatro",
                            [this](HWND) { press(view_.handles.at(2)); });
    EXPECT_EQ(answer, 3);
    ASSERT_EQ(view_.buttons.size(), 4u);
    EXPECT_EQ(view_.texts, (std::vector<std::string>{"&Uno", "&Dos", "&Tres", "&Cuatro"}));
    const int width = view_.buttons[0].right - view_.buttons[0].left;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(view_.buttons[i].right - view_.buttons[i].left, width) << "equal widths";
        EXPECT_EQ(view_.buttons[i].top, view_.buttons[0].top) << "one row";
        if (i > 0) {
            EXPECT_EQ(view_.buttons[i].left - view_.buttons[i - 1].left, width + 10);
        }
    }
    EXPECT_EQ(view_.buttons[3].right, view_.inner - 10);
    // Four buttons are wider than the short text: I = 50 + R + 50 - 20.
    EXPECT_EQ(view_.inner, 50 + (width + 10) * 4 + 50 - 20);
    EXPECT_EQ(view_.focus, view_.handles[0]) << "the first button is the default";
}

TEST_F(AlertBoxTest, FiveButtonsAtMostAndTheFifthCanBePressed) {
    const int answer = show(Value("Elija"), captions({"&A", "&B", "&C", "&D", "&E", "&F"}),
                            "Caja de cinco", [this](HWND) { press(view_.handles.at(4)); });
    EXPECT_EQ(answer, 5);
    ASSERT_EQ(view_.buttons.size(), 5u) << "the sixth caption is ignored";
    EXPECT_EQ(view_.texts.back(), "&E");
    EXPECT_EQ(view_.buttons[4].right, view_.inner - 10);
}

TEST_F(AlertBoxTest, LongMessageWrapsWithinTheMaximumWidthAndGrowsInHeight) {
    std::string sentence =
        "El fichero de la empresa no se pudo abrir porque otro programa lo usa. ";
    std::string longText;
    for (int i = 0; i < 8; ++i) longText += sentence;
    BoxView shortView;
    show(Value("Una l\xEDnea."), Value(), "Caja corta", [this, &shortView](HWND box) {
        shortView = view_;
        PostMessageA(box, WM_CLOSE, 0, 0);
    });
    show(Value(longText), Value(), "Caja larga", [this](HWND) { press(view_.handles.at(0)); });
    EXPECT_EQ(view_.inner, 70 + 375 + 50) << "text width capped at 375";
    EXPECT_GT(view_.height, shortView.height + 3 * boxFontHeight()) << "grew in height";
}

TEST_F(AlertBoxTest, ClosingWithoutAButtonAnswersZero) {
    whenShown("Pregunta", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); });
    EXPECT_FALSE(runtime::MSGYESNO(Value("\xBF"
                                         "Seguir?"),
                                   Value("Pregunta")));
    EXPECT_EQ(show(Value("Nada"), captions({"&Si", "&No"}), "Cerrada",
                   [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }),
              0);
    EXPECT_EQ(view_.buttons.size(), 2u);
}

TEST_F(AlertBoxTest, SelfClosingBoxAnswersZeroAfterItsSeconds) {
    const uint64_t start = os::monotonicMs();
    bool seen = false;
    whenShown("Atenci\xF3n", [&](HWND) { seen = true; });
    EXPECT_EQ(runtime::_ALERT(Value("Se cierra sola"), Value(1)), 0);
    const uint64_t elapsed = os::monotonicMs() - start;
    EXPECT_TRUE(seen);
    EXPECT_GE(elapsed, 1000u);
    ASSERT_EQ(view_.texts.size(), 1u);
    EXPECT_EQ(view_.texts[0], "&Aceptar");
}

TEST_F(AlertBoxTest, EmptyButtonListShowsNoBox) {
    EXPECT_EQ(runtime::_ALERT(Value("x"), Value::newArray({})), 0);
}

}  // namespace
}  // namespace toolkit
