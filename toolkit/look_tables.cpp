// "ColorW" and "Fonts": loading a user's look settings, saving them,
// deleting a user's record.
#include "toolkit/look_tables.h"

#include "os/fs.h"
#include "runtime/codepage.h"
#include "runtime/strings.h"
#include "startup/dialog_font.h"
#include "startup/settings_record.h"
#include "tables/dbcmd.h"
#include "tables/netuse.h"
#include "tables/workarea.h"

namespace toolkit {
namespace {

using runtime::Value;

constexpr const char* kColorAlias = "LOOKCOLORW";
constexpr const char* kFontsAlias = "LOOKFONTS";
constexpr int kFaceKeyChars = 25;

std::string& userCode() {
    static std::string code;
    return code;
}

bool tableExists(const std::string& base) {
    return os::fileExists(base + ".dbf") || os::fileExists(base + ".DBF");
}

// Makes the table with its orders when it is missing. Returns whether it
// exists afterwards.
bool ensureTable(const std::string& base, const std::vector<tables::FieldInfo>& fields,
                 const std::vector<std::pair<const char*, const char*>>& orders) {
    if (tableExists(base)) return true;
    if (!tables::DBCREATE(base, fields)) return false;
    tables::DBUSEAREA(true, std::nullopt, base, "LOOKNEW", false, false);
    if (!tables::USED() || tables::ALIAS() != "LOOKNEW") return false;
    for (const auto& [tag, key] : orders) tables::ORDCREATE("", tag, key);
    tables::DBCLOSEAREA();
    return true;
}

// The two tables open (shared) in areas of their own for one operation;
// closed again, and the previous area made current, on scope exit.
class LookTables {
public:
    LookTables() : previous_(tables::SELECT()) {
        const std::string colors = colorWFile(), fonts = fontsFile();
        if (!ensureTable(colors, colorWFields(), {{"CCODIGO", "CCODIGO"}})) return;
        ensureTable(fonts, fontsFields(),
                    {{"NFONT", "NFONT"}, {"FACE", "UPPER(LEFT(CFACENAME,25))+STR(NCOLOR,10)"}});
        colors_ = open(colors, kColorAlias);
        fonts_ = tableExists(fonts) && open(fonts, kFontsAlias);
        tables::DBSELECTAREA(Value(previous_));
    }
    ~LookTables() {
        for (const char* alias : {kColorAlias, kFontsAlias}) {
            if (tables::SELECT(alias) == 0) continue;
            tables::DBSELECTAREA(Value(alias));
            tables::DBCLOSEAREA();
        }
        tables::DBSELECTAREA(Value(previous_));
    }
    LookTables(const LookTables&) = delete;
    LookTables& operator=(const LookTables&) = delete;

    bool colors() const { return colors_; }
    bool fonts() const { return fonts_; }

private:
    static bool open(const std::string& file, const char* alias) {
        tables::DBUSEAREA(true, std::nullopt, file, alias, true, false);
        if (tables::NETERR() || tables::SELECT(alias) == 0) return false;
        tables::DBSETORDER(Value(1));
        return true;
    }
    int previous_;
    bool colors_ = false;
    bool fonts_ = false;
};

Value num(double n) {
    return Value(n);
}

double numField(const char* name) {
    return tables::fieldValue(name).numOr(0);
}

bool logField(const char* name) {
    return tables::fieldValue(name).logicalOr(false);
}

// Finds the user's live record in "ColorW" (current area). False at end
// of file.
bool seekUser(const std::string& user) {
    const std::string code = runtime::PADR(user, 2);
    if (tables::DBSEEK(Value(code))) return true;
    // A seek whose key first meets a deleted record of the same code does
    // not go on to a live one after it: look through the (small) table.
    for (tables::DBGOTOP(); !tables::EOF_(); tables::DBSKIP(1))
        if (tables::fieldValue("CCODIGO").textOr() == code) return true;
    return false;
}

// The colour of a list font: NCOLOR of its row in "Fonts", or 0.
Colour fontColour(bool fontsOpen, int fontNo) {
    if (!fontsOpen) return 0;
    return tables::inAlias(kFontsAlias, [fontNo] {
        tables::DBSETORDER(Value(1));
        return tables::DBSEEK(Value(fontNo)) ? static_cast<Colour>(numField("NCOLOR")) : 0u;
    });
}

LookValues readRecord(bool fontsOpen) {
    LookValues v;
    v.desktop = static_cast<Colour>(numField("DESKTOP"));
    v.enable1 = static_cast<Colour>(numField("ENABLE1"));
    v.enable2 = static_cast<Colour>(numField("ENABLE2"));
    v.disable1 = static_cast<Colour>(numField("DISABLE1"));
    v.disable2 = static_cast<Colour>(numField("DISABLE2"));
    v.say = static_cast<Colour>(numField("SAY"));
    v.titulo = static_cast<int>(numField("TITULO"));
    v.linea = static_cast<int>(numField("LINEA"));
    v.sTotal = static_cast<int>(numField("STOTAL"));
    v.total = static_cast<int>(numField("TOTAL"));
    v.font.cFaceName = runtime::RTRIM(tables::fieldValue("CFACENAME").textOr());
    v.font.nWidth = -std::abs(numField("NWIDTH"));
    v.font.nHeight = -std::abs(static_cast<int>(numField("NHEIGHT")));
    v.font.lBold = logField("LBOLD");
    v.font.lItalic = logField("LITALIC");
    v.lineStyle = static_cast<int>(numField("LINESTYLE"));
    v.colorBrw = logField("COLORBRW");
    v.clrLine = static_cast<Colour>(numField("NCLRLINE"));
    v.clrForeHd = static_cast<Colour>(numField("NCLRFOREHD"));
    v.clrBackHd = static_cast<Colour>(numField("NCLRBACKHD"));
    v.clrText = static_cast<Colour>(numField("NCLRTEXT"));
    v.clrPane = static_cast<Colour>(numField("NCLRPANE"));
    v.clrTRow1 = static_cast<Colour>(numField("NCLRTROW1"));
    v.clrPRow1 = static_cast<Colour>(numField("NCLRPROW1"));
    v.clrTRow2 = static_cast<Colour>(numField("NCLRTROW2"));
    v.clrPRow2 = static_cast<Colour>(numField("NCLRPROW2"));
    v.alterClr = logField("LALTERCLR");
    v.hLine = static_cast<int>(numField("NHLINE"));
    v.clrPFocus = static_cast<Colour>(numField("NCLRPFOCUS"));
    v.clrTFocus = static_cast<Colour>(numField("NCLRTFOCUS"));
    v.classLook = logField("LCLASSLOOK");
    v.clrTitulo = fontColour(fontsOpen, v.titulo);
    v.clrLinea = fontColour(fontsOpen, v.linea);
    v.clrSTotal = fontColour(fontsOpen, v.sTotal);
    v.clrTotal = fontColour(fontsOpen, v.total);
    return v;
}

void writeRecord(const LookValues& v) {
    auto put = [](const char* name, const Value& x) { tables::fieldAssign(name, x); };
    put("DESKTOP", num(v.desktop));
    put("ENABLE1", num(v.enable1));
    put("ENABLE2", num(v.enable2));
    put("DISABLE1", num(v.disable1));
    put("DISABLE2", num(v.disable2));
    put("SAY", num(v.say));
    put("TITULO", num(v.titulo));
    put("LINEA", num(v.linea));
    put("STOTAL", num(v.sTotal));
    put("TOTAL", num(v.total));
    put("CFACENAME", Value(v.font.cFaceName));
    put("NWIDTH", num(v.font.nWidth));
    put("NHEIGHT", num(v.font.nHeight));
    put("LBOLD", Value(v.font.lBold));
    put("LITALIC", Value(v.font.lItalic));
    put("LINESTYLE", num(v.lineStyle));
    put("COLORBRW", Value(v.colorBrw));
    put("NCLRLINE", num(v.clrLine));
    put("NCLRFOREHD", num(v.clrForeHd));
    put("NCLRBACKHD", num(v.clrBackHd));
    put("NCLRTEXT", num(v.clrText));
    put("NCLRPANE", num(v.clrPane));
    put("NCLRTROW1", num(v.clrTRow1));
    put("NCLRPROW1", num(v.clrPRow1));
    put("NCLRTROW2", num(v.clrTRow2));
    put("NCLRPROW2", num(v.clrPRow2));
    put("LALTERCLR", Value(v.alterClr));
    put("NHLINE", num(v.hLine));
    put("NCLRPFOCUS", num(v.clrPFocus));
    put("NCLRTFOCUS", num(v.clrTFocus));
    put("LCLASSLOOK", Value(v.classLook));
}

void applyToAccessors(const LookValues& v) {
    NCLRDESKTOP(v.desktop);
    NCLRENA1(v.enable1);
    NCLRENA2(v.enable2);
    NCLRDISA1(v.disable1);
    NCLRDISA2(v.disable2);
    NCLRSAY(v.say);
    NFONTTITULO(v.titulo);
    NFONTLINEA(v.linea);
    NFONTSTOTAL(v.sTotal);
    NFONTTOTAL(v.total);
    NCLRTITULO(v.clrTitulo);
    NCLRLINEA(v.clrLinea);
    NCLRSTOTAL(v.clrSTotal);
    NCLRTOTAL(v.clrTotal);
    userFontDescription(v.font);
    LCOLORBRW(v.colorBrw);
    applyBrowseLook(v);
}

// The "Fonts" row with this face and colour: its number, appending a row
// with the next number when there is none. nullopt when "Fonts" is not
// open or the font number is not one of its rows.
std::optional<int> fontRowFor(int fontNo, Colour colour) {
    return tables::inAlias(kFontsAlias, [&]() -> std::optional<int> {
        tables::DBSETORDER(Value(1));
        if (!tables::DBSEEK(Value(fontNo))) return std::nullopt;
        const std::string face = tables::fieldValue("CFACENAME").textOr();
        const std::string key = runtime::UPPER(runtime::PADR(face, kFaceKeyChars)) +
                                runtime::STR(static_cast<double>(colour), 10, 0);
        tables::DBSETORDER(Value(2));
        const bool found = tables::DBSEEK(Value(key));
        tables::DBSETORDER(Value(1));
        if (found) return static_cast<int>(numField("NFONT"));
        tables::DBGOBOTTOM();
        const int next = tables::EOF_() ? 1 : static_cast<int>(numField("NFONT")) + 1;
        if (!tables::LNETRECADD()) return std::nullopt;
        tables::fieldAssign("NFONT", num(next));
        tables::fieldAssign("CFACENAME", Value(face));
        tables::fieldAssign("NCOLOR", num(colour));
        tables::DBUNLOCK();
        return next;
    });
}

LookValues withFontRows(LookValues v, bool fontsOpen) {
    if (!fontsOpen) return v;
    const std::pair<int*, Colour> fonts[] = {{&v.titulo, v.clrTitulo},
                                             {&v.linea, v.clrLinea},
                                             {&v.sTotal, v.clrSTotal},
                                             {&v.total, v.clrTotal}};
    for (const auto& [number, colour] : fonts)
        if (auto row = fontRowFor(*number, colour)) *number = *row;
    return v;
}

// Copies the user's record into the accessors. False when there is none.
bool loadUser(const LookTables& t, const std::string& user) {
    if (!t.colors()) return false;
    return tables::inAlias(kColorAlias, [&] {
        if (!seekUser(user)) return false;
        applyToAccessors(readRecord(t.fonts()));
        return true;
    });
}

bool appendFirstTime(const std::string& user) {
    return tables::inAlias(kColorAlias, [&] {
        if (!tables::LNETRECADD()) return false;
        tables::fieldAssign("CCODIGO", Value(user));
        writeRecord(firstTimeValues());
        tables::DBUNLOCK();
        return true;
    });
}

}  // namespace

std::string CCODUSER(std::optional<std::string> cCode) {
    if (cCode) userCode() = *cCode;
    return userCode();
}

const std::vector<tables::FieldInfo>& colorWFields() {
    static const std::vector<tables::FieldInfo> fields = {
        {"CCODIGO", 'C', 2, 0},    {"DESKTOP", 'N', 9, 0},    {"ENABLE1", 'N', 9, 0},
        {"ENABLE2", 'N', 9, 0},    {"DISABLE1", 'N', 9, 0},   {"DISABLE2", 'N', 9, 0},
        {"SAY", 'N', 9, 0},        {"TITULO", 'N', 9, 0},     {"LINEA", 'N', 9, 0},
        {"STOTAL", 'N', 9, 0},     {"TOTAL", 'N', 9, 0},      {"CFACENAME", 'C', 32, 0},
        {"NWIDTH", 'N', 12, 6},    {"NHEIGHT", 'N', 4, 0},    {"LBOLD", 'L', 1, 0},
        {"LITALIC", 'L', 1, 0},    {"LINESTYLE", 'N', 1, 0},  {"COLORBRW", 'L', 1, 0},
        {"NCLRLINE", 'N', 9, 0},   {"NCLRFOREHD", 'N', 9, 0}, {"NCLRBACKHD", 'N', 9, 0},
        {"NCLRTEXT", 'N', 9, 0},   {"NCLRPANE", 'N', 9, 0},   {"NCLRTROW1", 'N', 9, 0},
        {"NCLRPROW1", 'N', 9, 0},  {"NCLRTROW2", 'N', 9, 0},  {"NCLRPROW2", 'N', 9, 0},
        {"LALTERCLR", 'L', 1, 0},  {"NHLINE", 'N', 2, 0},     {"NCLRPFOCUS", 'N', 9, 0},
        {"NCLRTFOCUS", 'N', 9, 0}, {"LCLASSLOOK", 'L', 1, 0},
    };
    return fields;
}

const std::vector<tables::FieldInfo>& fontsFields() {
    static const std::vector<tables::FieldInfo> fields = {
        {"NFONT", 'N', 4, 0},   {"CFACENAME", 'C', 32, 0}, {"LBOLD", 'L', 1, 0},
        {"LITALIC", 'L', 1, 0}, {"NWIDTH", 'N', 4, 0},     {"NHEIGHT", 'N', 4, 0},
        {"NCOLOR", 'N', 10, 0},
    };
    return fields;
}

std::string colorWFile() {
    return startup::CPATHSTART().value_or("") + "ColorW";
}

std::string fontsFile() {
    return startup::CPATHINFORME().value_or("") + "Fonts";
}

void applyBrowseLook(const LookValues& v) {
    NLINESTYLE(v.lineStyle);
    NXCLRLINE(v.clrLine);
    NCLRFHDR(v.clrForeHd);
    NCLRBHDR(v.clrBackHd);
    NCLRTEXT(v.clrText);
    NCLRPANE(v.clrPane);
    NCLRTROW1(v.clrTRow1);
    NCLRPROW1(v.clrPRow1);
    NCLRTROW2(v.clrTRow2);
    NCLRPROW2(v.clrPRow2);
    LALTERCLR(v.alterClr);
    NHLINE(v.hLine);
    NCLRBACKFOCUS(v.clrPFocus);
    NCLRFOREFOCUS(v.clrTFocus);
    LCLASSIC(v.classLook);
}

void copyBrowsePart(LookValues& to, const LookValues& from) {
    const LookValues keep = to;
    to = from;
    // Everything that is not the browse's comes back from `keep`.
    to.desktop = keep.desktop;
    to.enable1 = keep.enable1;
    to.enable2 = keep.enable2;
    to.disable1 = keep.disable1;
    to.disable2 = keep.disable2;
    to.say = keep.say;
    to.titulo = keep.titulo;
    to.linea = keep.linea;
    to.sTotal = keep.sTotal;
    to.total = keep.total;
    to.clrTitulo = keep.clrTitulo;
    to.clrLinea = keep.clrLinea;
    to.clrSTotal = keep.clrSTotal;
    to.clrTotal = keep.clrTotal;
    to.font = keep.font;
    to.colorBrw = keep.colorBrw;
}

namespace {

// The browse's lines and colours as a new user starts with them and as a
// restore brings them back; only the pane differs between the two.
void setBrowseDefaults(LookValues& v) {
    v.lineStyle = 5;
    v.alterClr = true;
    v.clrLine = 6842472;
    v.clrForeHd = 0;
    v.clrBackHd = 13292503;
    v.clrText = 0;
    v.clrTRow1 = v.clrTRow2 = 0;
    v.clrPRow1 = 16777215;
    v.clrPRow2 = 15396845;
    v.hLine = 5;
    v.clrTFocus = 16777215;
    v.clrPFocus = 8750724;
}

}  // namespace

LookValues firstTimeValues() {
    const SystemColours sys = systemColours();
    LookValues v;
    v.desktop = 12632256;
    v.enable1 = sys.windowText;
    v.enable2 = 16777215;
    v.disable1 = sys.grayText;
    v.disable2 = sys.btnFace;
    v.say = sys.windowText;
    v.titulo = v.linea = v.total = v.sTotal = 1;
    v.font = UserFont{startup::CFONTNAME(), static_cast<double>(startup::NFONTVSIZE()),
                      startup::NFONTHSIZE(), false, false};
    v.colorBrw = false;
    v.classLook = LCLASSIC();
    setBrowseDefaults(v);
    v.clrPane = 16777215;
    return v;
}

LookValues currentLookValues() {
    LookValues v;
    v.desktop = NCLRDESKTOP().value_or(0);
    v.enable1 = NCLRENA1().value_or(0);
    v.enable2 = NCLRENA2().value_or(0);
    v.disable1 = NCLRDISA1().value_or(0);
    v.disable2 = NCLRDISA2().value_or(0);
    v.say = NCLRSAY().value_or(0);
    v.titulo = NFONTTITULO().value_or(1);
    v.linea = NFONTLINEA().value_or(1);
    v.sTotal = NFONTSTOTAL().value_or(1);
    v.total = NFONTTOTAL().value_or(1);
    v.clrTitulo = NCLRTITULO();
    v.clrLinea = NCLRLINEA();
    v.clrSTotal = NCLRSTOTAL();
    v.clrTotal = NCLRTOTAL();
    v.font =
        userFontDescription().value_or(UserFont{startup::CFONTNAME(), 0, startup::NFONTHSIZE()});
    v.lineStyle = NLINESTYLE();
    v.colorBrw = LCOLORBRW();
    v.clrLine = NXCLRLINE();
    v.clrForeHd = NCLRFHDR();
    v.clrBackHd = NCLRBHDR();
    v.clrText = NCLRTEXT();
    v.clrPane = NCLRPANE();
    v.clrTRow1 = NCLRTROW1();
    v.clrPRow1 = NCLRPROW1();
    v.clrTRow2 = NCLRTROW2();
    v.clrPRow2 = NCLRPROW2();
    v.alterClr = LALTERCLR();
    v.hLine = NHLINE();
    v.clrPFocus = NCLRBACKFOCUS();
    v.clrTFocus = NCLRFOREFOCUS();
    v.classLook = LCLASSIC();
    return v;
}

void restoreDefaultValues(LookValues& v) {
    const SystemColours sys = systemColours();
    const LookValues first = firstTimeValues();
    v.desktop = sys.window;
    v.enable1 = first.enable1;
    v.enable2 = first.enable2;
    v.disable1 = first.disable1;
    v.disable2 = first.disable2;
    v.say = first.say;
    v.titulo = v.linea = v.sTotal = v.total = 1;
    v.clrTitulo = v.clrLinea = v.clrSTotal = v.clrTotal = 0;
    if (v.classLook) return;
    setBrowseDefaults(v);
    v.clrPane = 15396845;
    v.classLook = false;
}

bool CARGACOLORES() {
    LookTables t;
    if (!t.colors()) return true;
    const std::string user = CCODUSER();
    const bool known = tables::inAlias(kColorAlias, [&] { return seekUser(user); });
    if (!known) appendFirstTime(user);
    loadUser(t, user);
    return true;
}

bool SAVECOLORS(const LookValues& values, bool lNew, std::optional<std::string> cUser) {
    const std::string user = cUser.value_or(CCODUSER());
    LookTables t;
    if (!t.colors()) return false;
    if (lNew) {
        const bool added = appendFirstTime(user);
        if (added) loadUser(t, user);
        return added;
    }
    const bool found = tables::inAlias(kColorAlias, [&] { return seekUser(user); });
    if (!found) return false;
    const bool locked = tables::inAlias(kColorAlias, [] { return tables::LNETRECLOCK(); });
    if (!locked) return false;
    const LookValues stored = withFontRows(values, t.fonts());
    tables::inAlias(kColorAlias, [&] {
        writeRecord(stored);
        tables::DBCOMMIT();
        tables::DBUNLOCK();
    });
    loadUser(t, user);
    return true;
}

bool DELCOLORES(std::optional<std::string> cUser) {
    const std::string user = cUser.value_or(CCODUSER());
    LookTables t;
    if (!t.colors()) return false;
    return tables::inAlias(kColorAlias, [&] {
        if (!seekUser(user) || !tables::LNETRECLOCK()) return false;
        tables::DBDELETE();
        tables::DBCOMMIT();
        tables::DBUNLOCK();
        return true;
    });
}

bool RESTAURAFONTS(std::optional<std::string> cUser) {
    LookTables t;
    return loadUser(t, cUser.value_or(CCODUSER()));
}

}  // namespace toolkit
