// The window's control tree and its event bindings, as two tables that read like the
// design. A control's kind is the type of the field it fills.

#include "voice/frm_voice.h"

#include "gui/font.h"
#include "platform/app_error.h"

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

namespace voice {
namespace {

using F = TFrmVoice;
using gui::Bevel;
using gui::FontSpec;
using gui::kBlack;
using gui::kMaroon;
using gui::kNavy;

// --- Fonts: face, character height in pixels, weight, colour, character set -------------
const FontSpec kFormFont{L"MS Sans Serif", 11, FW_NORMAL, gui::kWindowText, DEFAULT_CHARSET};
const FontSpec kSansSerif16BoldBlackWestern{L"MS Sans Serif", 16, FW_BOLD, kBlack, DEFAULT_CHARSET};
const FontSpec kSansSerif13BoldBlack{L"MS Sans Serif", 13, FW_BOLD, kBlack};
const FontSpec kSansSerif11BoldBlack{L"MS Sans Serif", 11, FW_BOLD, kBlack};
const FontSpec kSansSerif11BoldNavy{L"MS Sans Serif", 11, FW_BOLD, kNavy};
const FontSpec kSerif16BoldNavy{L"MS Serif", 16, FW_BOLD, kNavy};
const FontSpec kSerif16BoldMaroon{L"MS Serif", 16, FW_BOLD, kMaroon};
const FontSpec kSerif13BoldMaroon{L"MS Serif", 13, FW_BOLD, kMaroon};
const FontSpec kSerif13BoldNavy{L"MS Serif", 13, FW_BOLD, kNavy};
const FontSpec kSerif13Black{L"MS Serif", 13, FW_NORMAL, kBlack};
const FontSpec kCourier13BoldNavy{L"Courier New", 13, FW_BOLD, kNavy};
const FontSpec kCourier13BoldBlack{L"Courier New", 13, FW_BOLD, kBlack};
const FontSpec kArial11Navy{L"Arial", 11, FW_NORMAL, kNavy};
const FontSpec kArial11BoldBlack{L"Arial", 11, FW_BOLD, kBlack};
const FontSpec kTimes12Black{L"Times New Roman", 12, FW_NORMAL, kBlack};
const FontSpec kParentFont{}; // "—": the parent's font

using Field =
    std::variant<gui::GroupBox F::*, gui::Panel F::*, gui::ListBox F::*, TMediaPlayer F::*,
                 gui::TrackBar F::*, gui::StaticText F::*, gui::BitBtn F::*, gui::Button F::*,
                 gui::CheckBox F::*, gui::Label F::*, gui::DatePicker F::*, gui::MaskEdit F::*,
                 gui::UpDown F::*, gui::RadioGroup F::*, gui::DriveComboBox F::*,
                 gui::DirectoryListBox F::*, gui::Timer F::*>;

struct Position {
    int left = 0, top = 0, width = 0, height = 0;
};

// The "other properties" column; each kind reads the ones that concern it.
struct Props {
    Bevel outerBevel = Bevel::None;
    Bevel innerBevel = Bevel::None;
    bool captionLeft = false;
    int lineHeight = 0;
    std::vector<std::wstring> items{};
    int columns = 1;
    int itemIndex = -1;
    int min = 0, max = 0;
    const wchar_t* glyph = nullptr;
    gui::ButtonStyle buttonStyle = gui::ButtonStyle::Current;
    TButtonSet visibleButtons{};
    TButtonSet enabledButtons{};
    UINT interval = 0;
};

struct ControlRow {
    const wchar_t* name;
    Field field;
    const wchar_t* parent; // nullptr: the window itself
    Position position;
    const wchar_t* caption;
    FontSpec font;
    int tab; // -1: not in the keyboard order
    Props props;
};

constexpr wchar_t kWindowCaption[] = L"Воспроизведение записей";
constexpr Position kWindowPosition{79, 102, 781, 554};

// clang-format off
const std::vector<ControlRow>& ControlTree() {
    static const std::vector<ControlRow> rows = {
    // name              field                  parent           position              caption                     font                       tab  other properties
    {L"GroupBox1",       &F::GroupBox1,         nullptr,         {1, -4, 772, 530},   L"Выбор записи",            kSansSerif16BoldBlackWestern, 0, {}},
    {L"Panel1",          &F::Panel1,            L"GroupBox1",    {2, 22, 768, 506},   L"",                        kSerif16BoldNavy,          0, {.outerBevel = Bevel::Raised, .innerBevel = Bevel::Lowered}},
    {L"GroupBox2",       &F::GroupBox2,         L"Panel1",       {4, 2, 470, 500},    L"Список файлов",           kSerif13BoldMaroon,        0, {}},
    {L"Panel2",          &F::Panel2,            L"GroupBox2",    {2, 16, 464, 379},   L"",                        kSerif16BoldMaroon,        0, {.outerBevel = Bevel::Lowered}},
    {L"Panel3",          &F::Panel3,            L"Panel2",       {2, 2, 460, 21},     L"№кан.  Нач.:дата время  Оконч.:дата время  Размер",
                                                                                                                  kCourier13BoldNavy,        0, {.outerBevel = Bevel::Lowered, .captionLeft = true}},
    {L"LBListFiles",     &F::LBListFiles,       L"Panel2",       {2, 24, 460, 352},   L"",                        kCourier13BoldBlack,       1, {.lineHeight = 16}},
    {L"MediaPlayer1",    &F::MediaPlayer1,      L"GroupBox2",    {158, 464, 225, 30}, L"",                        kParentFont,               1, {.visibleButtons = {btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btEject},
                                                                                                                                                 .enabledButtons = {btPlay, btStop, btNext, btPrev}}},
    {L"Panel4",          &F::Panel4,            L"GroupBox2",    {4, 396, 462, 65},   L"",                        kParentFont,               2, {.outerBevel = Bevel::Lowered}},
    {L"TrackBar1",       &F::TrackBar1,         L"Panel4",       {1, 30, 458, 32},    L"",                        kParentFont,               0, {.min = 0, .max = 50}},
    {L"StFileName",      &F::StFileName,        L"Panel4",       {2, 2, 457, 25},     L"",                        kSerif13BoldNavy,          1, {}},
    {L"BitBtnStart",     &F::BitBtnStart,       L"GroupBox2",    {70, 467, 75, 25},   L"Start",                   kSerif13BoldNavy,          3, {.glyph = gui::kRetryGlyph}},
    {L"GroupBox3",       &F::GroupBox3,         L"Panel1",       {475, 2, 290, 500},  L"Условие выбора записей",  kSerif13BoldNavy,          1, {}},
    {L"GrBxChannals",    &F::GrBxChannals,      L"GroupBox3",    {4, 16, 158, 91},    L"Канал ",                  kSansSerif13BoldBlack,     0, {}},
    {L"BtnCaseAll",      &F::BtnCaseAll,        L"GrBxChannals", {76, 16, 77, 25},    L"Выбрать все",             kArial11Navy,              0, {}},
    {L"BtnCleareAll",    &F::BtnCleareAll,      L"GrBxChannals", {76, 52, 77, 25},    L"Убрать все",              kArial11Navy,              1, {}},
    {L"ChBx1",           &F::ChBx1,             L"GrBxChannals", {4, 16, 34, 17},     L" 1",                      kParentFont,               2, {}},
    {L"ChBx2",           &F::ChBx2,             L"GrBxChannals", {4, 32, 34, 17},     L" 2",                      kParentFont,               3, {}},
    {L"ChBx3",           &F::ChBx3,             L"GrBxChannals", {4, 49, 34, 17},     L" 3",                      kParentFont,               4, {}},
    {L"ChBx4",           &F::ChBx4,             L"GrBxChannals", {4, 66, 34, 17},     L" 4",                      kParentFont,               5, {}},
    {L"ChBx5",           &F::ChBx5,             L"GrBxChannals", {40, 16, 34, 17},    L" 5",                      kParentFont,               6, {}},
    {L"ChBx6",           &F::ChBx6,             L"GrBxChannals", {40, 32, 34, 17},    L" 6",                      kParentFont,               7, {}},
    {L"ChBx7",           &F::ChBx7,             L"GrBxChannals", {40, 49, 34, 17},    L" 7",                      kParentFont,               8, {}},
    {L"ChBx8",           &F::ChBx8,             L"GrBxChannals", {40, 66, 34, 17},    L" 8",                      kParentFont,               9, {}},
    {L"GroupBox4",       &F::GroupBox4,         L"GroupBox3",    {9, 108, 273, 149},  L"Дата, время",             kSansSerif11BoldBlack,     1, {}},
    {L"GroupBox5",       &F::GroupBox5,         L"GroupBox4",    {8, 12, 257, 65},    L"От",                      kSansSerif11BoldNavy,      0, {}},
    {L"Label1",          &F::Label1,            L"GroupBox5",    {12, 16, 31, 13},    L"Дата",                    kSansSerif11BoldBlack,    -1, {}},
    {L"Label2",          &F::Label2,            L"GroupBox5",    {12, 40, 39, 13},    L"Время",                   kSansSerif11BoldBlack,    -1, {}},
    {L"DTPicker0",       &F::DTPicker0,         L"GroupBox5",    {56, 12, 93, 21},    L"",                        kSansSerif11BoldBlack,     0, {}},
    {L"MEDTime0",        &F::MEDTime0,          L"GroupBox5",    {56, 37, 69, 21},    L"",                        kSansSerif11BoldBlack,     1, {}},
    {L"UdIncTime0",      &F::UdIncTime0,        L"GroupBox5",    {128, 35, 21, 26},   L"",                        kParentFont,               2, {}},
    {L"BtnOnOff0",       &F::BtnOnOff0,         L"GroupBox5",    {164, 40, 83, 21},   L"Вкл. время",              kParentFont,               3, {}},
    {L"GroupBox6",       &F::GroupBox6,         L"GroupBox4",    {8, 80, 257, 65},    L"До",                      kSansSerif11BoldNavy,      1, {}},
    {L"Label3",          &F::Label3,            L"GroupBox6",    {12, 16, 31, 13},    L"Дата",                    kSansSerif11BoldBlack,    -1, {}},
    {L"Label4",          &F::Label4,            L"GroupBox6",    {12, 40, 39, 13},    L"Время",                   kSansSerif11BoldBlack,    -1, {}},
    {L"DTPicker1",       &F::DTPicker1,         L"GroupBox6",    {56, 12, 93, 21},    L"",                        kSansSerif11BoldBlack,     0, {}},
    {L"MEDTime1",        &F::MEDTime1,          L"GroupBox6",    {56, 37, 69, 21},    L"",                        kSansSerif11BoldBlack,     1, {}},
    {L"UdIncTime1",      &F::UdIncTime1,        L"GroupBox6",    {128, 35, 21, 26},   L"",                        kParentFont,               2, {}},
    {L"BtnOnOff1",       &F::BtnOnOff1,         L"GroupBox6",    {164, 40, 83, 21},   L"Вкл. время",              kParentFont,               3, {}},
    {L"BtnFormList",     &F::BtnFormList,       L"GroupBox3",    {104, 262, 173, 25}, L"Сформировать список",     kSerif13BoldNavy,          2, {}},
    {L"BtnClearList",    &F::BtnClearList,      L"GroupBox3",    {104, 292, 173, 25}, L"Очистить список",         kSerif13BoldNavy,          3, {}},
    {L"GroupBox7",       &F::GroupBox7,         L"GroupBox3",    {4, 316, 277, 177},  L"Путь",                    kSansSerif11BoldBlack,     4, {}},
    {L"Panel5",          &F::Panel5,            L"GroupBox7",    {4, 16, 269, 157},   L"",                        kParentFont,               0, {.outerBevel = Bevel::Raised, .innerBevel = Bevel::Lowered}},
    {L"RgDirChan",       &F::RgDirChan,         L"Panel5",       {4, 2, 261, 29},     L"Канал",                   kParentFont,               0, {.items = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}, .columns = 8, .itemIndex = -1}},
    {L"DriveComboBox1",  &F::DriveComboBox1,    L"Panel5",       {4, 33, 161, 22},    L"",                        kSansSerif13BoldBlack,     1, {}},
    {L"DirectoryListBox1", &F::DirectoryListBox1, L"Panel5",     {4, 58, 261, 93},    L"",                        kParentFont,               2, {.lineHeight = 16}},
    {L"BitBtn1",         &F::BitBtn1,           L"Panel5",       {168, 32, 95, 24},   L"Запомнить",               kArial11BoldBlack,         3, {.glyph = gui::kOkGlyph, .buttonStyle = gui::ButtonStyle::Flat}},
    {L"RGSort",          &F::RGSort,            L"GroupBox3",    {162, 16, 125, 91},  L"Сортировка",              kTimes12Black,             5, {.items = {L"Нач.:дата, время", L"Оконч:дата,время", L"Канал, дата", L"Размер"}, .columns = 1, .itemIndex = 0}},
    {L"Panel6",          &F::Panel6,            L"GroupBox3",    {2, 262, 97, 33},    L"",                        kParentFont,               6, {.outerBevel = Bevel::Lowered}},
    {L"ChBxAutoStart",   &F::ChBxAutoStart,     L"Panel6",       {3, 8, 92, 17},      L"Автозапуск",              kSerif13Black,             0, {}},
    {L"Timer1",          &F::Timer1,            nullptr,         {},                  L"",                        kParentFont,              -1, {.interval = 100}},
    };
    return rows;
}
// clang-format on

using Binding = std::function<void(F&)>;

// control's event -> handler
template <typename Control, typename EventOwner, typename... Args>
Binding On(Control F::*control, std::function<void(Args...)> EventOwner::*event,
           void (F::*handler)(Args...)) {
    return [=](F& form) {
        static_assert(std::is_base_of_v<EventOwner, Control>);
        (form.*control).*event = [&form, handler](Args... args) {
            (form.*handler)(std::forward<Args>(args)...);
        };
    };
}

// the window's own event -> handler
template <typename... Args>
Binding OnWindow(std::function<void(Args...)> gui::Form::*event, void (F::*handler)(Args...)) {
    return [=](F& form) {
        form.*event = [&form, handler](Args... args) {
            (form.*handler)(std::forward<Args>(args)...);
        };
    };
}

// clang-format off
const std::vector<Binding>& EventBindings() {
    static const std::vector<Binding> bindings = {
    // control                 event                                  handler
    OnWindow(                  &gui::Form::OnCreate,                  &F::FormCreate),
    OnWindow(                  &gui::Form::OnClose,                   &F::FormClose),
    On(&F::BtnCaseAll,         &gui::Button::OnClick,                 &F::BtnCaseAllClick),
    On(&F::BtnCleareAll,       &gui::Button::OnClick,                 &F::BtnCleareAllClick),
    On(&F::BtnFormList,        &gui::Button::OnClick,                 &F::BtnFormListClick),
    On(&F::BtnClearList,       &gui::Button::OnClick,                 &F::BtnClearListClick),
    On(&F::LBListFiles,        &gui::ListBox::OnClick,                &F::LBListFilesClick),
    On(&F::LBListFiles,        &gui::ListBox::OnDblClick,             &F::LBListFilesDblClick),
    On(&F::BitBtnStart,        &gui::Button::OnClick,                 &F::BitBtnStartClick),
    On(&F::MediaPlayer1,       &TMediaPlayer::OnClick,                &F::MediaPlayer1Click),
    On(&F::MediaPlayer1,       &TMediaPlayer::OnPostClick,            &F::MediaPlayer1PostClick),
    On(&F::MediaPlayer1,       &TMediaPlayer::OnNotify,               &F::MediaPlayer1Notify),
    On(&F::TrackBar1,          &gui::TrackBar::OnChange,              &F::TrackBar1Change),
    On(&F::Timer1,             &gui::Timer::OnTimer,                  &F::Timer1Timer),
    On(&F::BtnOnOff0,          &gui::Button::OnClick,                 &F::BtnOnOff0Click),
    On(&F::BtnOnOff1,          &gui::Button::OnClick,                 &F::BtnOnOff1Click),
    On(&F::UdIncTime0,         &gui::UpDown::OnClick,                 &F::UdIncTime0Click),
    On(&F::UdIncTime1,         &gui::UpDown::OnClick,                 &F::UdIncTime1Click),
    On(&F::RgDirChan,          &gui::RadioGroup::OnClick,             &F::RgDirChanClick),
    On(&F::DriveComboBox1,     &gui::DriveComboBox::OnChange,         &F::DriveComboBox1Change),
    On(&F::DirectoryListBox1,  &gui::DirectoryListBox::OnChange,      &F::DirectoryListBox1Change),
    On(&F::BitBtn1,            &gui::Button::OnClick,                 &F::BitBtn1Click),
    };
    return bindings;
}
// clang-format on

constexpr int kFirstControlId = 100;

// --- Creation, one overload per kind ---------------------------------------------------
struct Creator {
    HWND parent;
    int id;
    Position at; // already scaled
    const ControlRow& row;

    void operator()(gui::GroupBox& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
    }
    void operator()(gui::Panel& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
        c.SetBevels(row.props.outerBevel, row.props.innerBevel);
        c.SetCaptionAlignment(row.props.captionLeft ? gui::CaptionAlignment::Left
                                                    : gui::CaptionAlignment::Centre);
    }
    void operator()(gui::ListBox& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height);
    }
    void operator()(TMediaPlayer& c) const {
        c.Create(parent, static_cast<UINT>(id), at.left, at.top, at.width, at.height);
        c.SetVisibleButtons(row.props.visibleButtons);
        c.SetEnabledButtons(row.props.enabledButtons);
        c.SetDisplay(c.Handle());
    }
    void operator()(gui::TrackBar& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height);
        c.SetRange(row.props.min, row.props.max);
    }
    void operator()(gui::StaticText& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
    }
    void operator()(gui::BitBtn& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
        c.SetGlyph(row.props.glyph);
        c.SetStyle(row.props.buttonStyle);
    }
    void operator()(gui::Button& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
    }
    void operator()(gui::CheckBox& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
    }
    void operator()(gui::Label& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
    }
    void operator()(gui::DatePicker& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height);
    }
    void operator()(gui::MaskEdit& c) const {
        c.Create(parent, static_cast<UINT>(id), at.left, at.top, at.width, at.height);
    }
    void operator()(gui::UpDown& c) const {
        c.Create(parent, static_cast<UINT>(id), at.left, at.top, at.width, at.height);
    }
    void operator()(gui::RadioGroup& c) const {
        c.Create(parent, id, at.left, at.top, at.width, at.height, row.caption);
        c.SetItems(row.props.items);
        c.SetColumns(row.props.columns);
        c.SetItemIndex(row.props.itemIndex);
    }
    void operator()(gui::DriveComboBox& c) const {
        c.Create(parent, static_cast<UINT>(id), at.left, at.top, at.width, at.height);
    }
    void operator()(gui::DirectoryListBox& c) const {
        c.Create(parent, static_cast<UINT>(id), at.left, at.top, at.width, at.height);
    }
    void operator()(gui::Timer& c) const { c.Start(row.props.interval); }
};

template <typename C> HWND HandleOf(const C& control) {
    return control.Handle();
}

Position Scaled(const Position& p, UINT dpi) {
    return {gui::Scale(p.left, dpi), gui::Scale(p.top, dpi), gui::Scale(p.width, dpi),
            gui::Scale(p.height, dpi)};
}

// The font a row draws with: its own, or the nearest ancestor's.
FontSpec ResolvedFont(const ControlRow& row) {
    const ControlRow* current = &row;
    while (!current->font) {
        if (!current->parent)
            return kFormFont;
        const ControlRow* parent = nullptr;
        for (const ControlRow& candidate : ControlTree())
            if (std::wstring_view(candidate.name) == current->parent)
                parent = &candidate;
        if (!parent)
            throw AppError(L"Unknown parent " + std::wstring(current->parent));
        current = parent;
    }
    return current->font;
}

} // namespace

void TFrmVoice::CreateControls() {
    const UINT dpi = Dpi();
    int id = kFirstControlId;
    // The keyboard follows the order of siblings, which is their creation order; the
    // design's tab numbers must agree with it.
    std::map<std::wstring, int> lastTab;
    for (const ControlRow& row : ControlTree()) {
        const std::wstring parentName = row.parent ? row.parent : L"";
        if (row.tab >= 0) {
            auto [last, first] = lastTab.try_emplace(parentName, row.tab);
            if (!first && row.tab <= last->second)
                throw AppError(L"Tab order differs from creation order at " +
                               std::wstring(row.name));
            last->second = row.tab;
        }
        HWND parent = row.parent ? ControlHandle(row.parent) : Handle();
        if (!parent)
            throw AppError(L"Parent not yet created: " + std::wstring(row.parent));
        Creator create{parent, id++, Scaled(row.position, dpi), row};
        HWND created = std::visit(
            [&](auto field) {
                auto& control = this->*field;
                create(control);
                return HandleOf(control);
            },
            row.field);
        controlsByName_.emplace(row.name, created);
        creationOrder_.emplace_back(row.name);
    }
    ApplyLayout(dpi);
}

void TFrmVoice::ApplyLayout(UINT dpi) {
    // Controls were created at this density; a later change moves and resizes them too.
    const bool reposition = !fonts_.empty();
    // The old fonts stay alive until every control has its new one.
    std::vector<FontHandle> fonts;
    // One font object per distinct design font, shared by the controls that use it.
    std::map<std::tuple<std::wstring, int, int, BYTE>, HFONT> shared;
    auto fontFor = [&](const FontSpec& fontSpec) {
        auto key = std::make_tuple(std::wstring(fontSpec.face), fontSpec.pixelHeight,
                                   fontSpec.weight, fontSpec.charset);
        auto found = shared.find(key);
        if (found != shared.end())
            return found->second;
        fonts.push_back(gui::CreateDesignedFont(fontSpec, dpi));
        return shared[key] = fonts.back().Get();
    };
    ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(kFormFont)), FALSE);
    for (const ControlRow& row : ControlTree()) {
        const FontSpec font = ResolvedFont(row);
        HFONT hfont = fontFor(font);
        const Position at = Scaled(row.position, dpi);
        std::visit(
            [&](auto field) {
                auto& control = this->*field;
                using Kind = std::remove_reference_t<decltype(control)>;
                if constexpr (!std::is_same_v<Kind, gui::Timer>) {
                    if (reposition)
                        ::SetWindowPos(control.Handle(), nullptr, at.left, at.top, at.width,
                                       at.height, SWP_NOZORDER | SWP_NOACTIVATE);
                    // Still hidden at creation: the first paint draws everything anyway.
                    ::SendMessageW(control.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(hfont),
                                   reposition);
                    if constexpr (requires { control.SetTextColour(font.colour); })
                        control.SetTextColour(font.colour);
                    if constexpr (requires { control.SetDpi(dpi); })
                        control.SetDpi(dpi);
                    if constexpr (requires { control.SetLineHeight(0); })
                        if (row.props.lineHeight > 0)
                            control.SetLineHeight(gui::Scale(row.props.lineHeight, dpi));
                }
            },
            row.field);
    }
    fonts_ = std::move(fonts);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TFrmVoice::BindEvents() {
    for (const Binding& bind : EventBindings())
        bind(*this);
}

HWND TFrmVoice::ControlHandle(std::wstring_view name) const {
    auto found = controlsByName_.find(name);
    return found == controlsByName_.end() ? nullptr : found->second;
}

std::vector<std::wstring> TFrmVoice::ControlNames() const {
    return creationOrder_;
}

TFrmVoice::TFrmVoice() : TFrmVoice(MakeWinmmPort()) {}

TFrmVoice::TFrmVoice(std::unique_ptr<MciPort> port) : MediaPlayer1(std::move(port)) {
    CreateForm(kWindowCaption, kWindowPosition.left, kWindowPosition.top, kWindowPosition.width,
               kWindowPosition.height);
    CreateControls();
    BindEvents();
    SetUpExportCommands();
    OnDpiChanged = [this](UINT dpi) { ApplyLayout(dpi); };
    if (OnCreate)
        OnCreate();
    SetUpReview();
}

TFrmVoice::~TFrmVoice() {
    Timer1.Stop();
    ExportWork.CancelAndWait();
    DestroyForm();
}

} // namespace voice
