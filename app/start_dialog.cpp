#include "app/start_dialog.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include <cctype>
#include <cstdio>
#include <iterator>
#include <string>

namespace vantrel {

namespace {

// Layout in dialog units, as the dialog was first drawn; one unit is 1.5 pixels here.
constexpr float PIXELS_PER_UNIT = 1.5f;
constexpr float DIALOG_WIDTH = 159, DIALOG_HEIGHT = 110;

struct ControlPlace {
    const char* text;
    float x, y, width, height;
};

constexpr ControlPlace START_BUTTON{"START", 45, 80, 50, 20};
constexpr ControlPlace CANCEL_BUTTON{"CANCEL", 100, 80, 50, 20};
// The picture's quality, its items in QUALITY_NAMES' order, and under it, on a software
// renderer, which quality suits it.
constexpr ControlPlace QUALITY_LABEL{"QUALITY", 10, 50, 35, 15};
constexpr ControlPlace QUALITY_COMBO{"", 45, 50, 50, 15};
constexpr ControlPlace SUITED_NOTE{"", 10, 66, 140, 10};
constexpr ControlPlace SOUND_CHECK{"ENABLE SOUND", 85, 10, 65, 15};
constexpr ControlPlace WINDOW_RADIO{"WINDOW", 10, 10, 60, 15};
constexpr ControlPlace FULL_SCREEN_RADIO{"FULL SCREEN", 10, 30, 60, 15};

constexpr int DIALOG_PIXEL_WIDTH = static_cast<int>(DIALOG_WIDTH * PIXELS_PER_UNIT);
constexpr int DIALOG_PIXEL_HEIGHT = static_cast<int>(DIALOG_HEIGHT * PIXELS_PER_UNIT);

// Frames drawn after each batch of events: ImGui settles hover and press states over two.
constexpr int FRAMES_PER_WAKE = 2;

ImVec2 sizeOf(const ControlPlace& c) { return {c.width * PIXELS_PER_UNIT, c.height * PIXELS_PER_UNIT}; }

void placeAt(const ControlPlace& c) {
    // Check boxes and radio buttons are shorter than their cell: centre them vertically.
    const float slack = c.height * PIXELS_PER_UNIT - ImGui::GetFrameHeight();
    ImGui::SetCursorPos({c.x * PIXELS_PER_UNIT, c.y * PIXELS_PER_UNIT + (slack > 0 ? slack / 2 : 0)});
}

void placeButtonAt(const ControlPlace& c) { ImGui::SetCursorPos({c.x * PIXELS_PER_UNIT, c.y * PIXELS_PER_UNIT}); }

// The controls in the order Tab and the arrow keys move through them.
enum Control {
    WINDOW_CONTROL,
    FULL_SCREEN_CONTROL,
    SOUND_CONTROL,
    QUALITY_CONTROL,
    START_CONTROL,
    CANCEL_CONTROL,
    CONTROL_COUNT
};

constexpr ImU32 FOCUS_FRAME = IM_COL32(0, 60, 200, 255);
constexpr float FOCUS_FRAME_WIDTH = 2.0f;

struct DialogState {
    int screenChoice = 0;  // the radio group: 0 WINDOW, 1 FULL SCREEN
    bool sound = true;
    int qualityChoice = 2;      // the combo box: an index of QUALITY_NAMES
    std::string suitedNote;     // which quality suits a software renderer, or empty
    int focus = START_CONTROL;  // where Space acts; a frame shows it
    bool finished = false;
    std::optional<StartChoice> result;  // nothing: cancelled
};

void start(DialogState& d) {
    d.result = StartChoice{d.screenChoice == 1 ? ScreenMode::FullScreen : ScreenMode::Window, d.sound,
                           render::QUALITY_NAMES[d.qualityChoice].quality};
    d.finished = true;
}

void cancel(DialogState& d) {
    d.result = std::nullopt;
    d.finished = true;
}

// Space on the focused control does what a click on it does.
void activate(DialogState& d) {
    switch (d.focus) {
        case WINDOW_CONTROL:
            d.screenChoice = 0;
            break;
        case FULL_SCREEN_CONTROL:
            d.screenChoice = 1;
            break;
        case SOUND_CONTROL:
            d.sound = !d.sound;
            break;
        case QUALITY_CONTROL:
            d.qualityChoice = (d.qualityChoice + 1) % static_cast<int>(std::size(render::QUALITY_NAMES));
            break;
        case START_CONTROL:
            start(d);
            break;
        default:
            cancel(d);
            break;
    }
}

// Tab and the arrows move the focus (Shift+Tab, Up and Left back), Space acts on it, Enter starts
// (or cancels from CANCEL, as a dialog's focused button does), Esc cancels.
void handleKey(const SDL_KeyboardEvent& key, DialogState& d) {
    const auto step = [&d](int by) { d.focus = (d.focus + by + CONTROL_COUNT) % CONTROL_COUNT; };
    switch (key.keysym.sym) {
        case SDLK_TAB:
            step((key.keysym.mod & KMOD_SHIFT) != 0 ? -1 : 1);
            break;
        case SDLK_DOWN:
        case SDLK_RIGHT:
            step(1);
            break;
        case SDLK_UP:
        case SDLK_LEFT:
            step(-1);
            break;
        case SDLK_SPACE:
            activate(d);
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            d.focus == CANCEL_CONTROL ? cancel(d) : start(d);
            break;
        case SDLK_ESCAPE:
            cancel(d);
            break;
        default:
            break;
    }
}

// After a control is drawn: a click gives it the focus, and the focused one gets a frame.
void followFocus(DialogState& d, int control) {
    if (ImGui::IsItemActivated()) d.focus = control;
    if (d.focus != control) return;
    const ImVec2 margin{3.0f, 3.0f};
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    ImGui::GetWindowDrawList()->AddRect({min.x - margin.x, min.y - margin.y}, {max.x + margin.x, max.y + margin.y},
                                        FOCUS_FRAME, 0.0f, 0, FOCUS_FRAME_WIDTH);
}

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void drawQualityChoice(DialogState& d) {
    placeAt(QUALITY_LABEL);
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(QUALITY_LABEL.text);
    placeAt(QUALITY_COMBO);
    ImGui::SetNextItemWidth(QUALITY_COMBO.width * PIXELS_PER_UNIT);
    const std::string shown = upperCase(render::QUALITY_NAMES[d.qualityChoice].name);
    const bool open = ImGui::BeginCombo("##quality", shown.c_str());
    followFocus(d, QUALITY_CONTROL);
    if (!open) return;
    for (int k = 0; k < static_cast<int>(std::size(render::QUALITY_NAMES)); ++k) {
        if (ImGui::Selectable(upperCase(render::QUALITY_NAMES[k].name).c_str(), k == d.qualityChoice))
            d.qualityChoice = k;
    }
    ImGui::EndCombo();
}

void drawControls(DialogState& d) {
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::SetNextWindowPos({0, 0});
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    ImGui::Begin("vantrel", nullptr, flags);
    placeAt(WINDOW_RADIO);
    ImGui::RadioButton(WINDOW_RADIO.text, &d.screenChoice, 0);
    followFocus(d, WINDOW_CONTROL);
    placeAt(FULL_SCREEN_RADIO);
    ImGui::RadioButton(FULL_SCREEN_RADIO.text, &d.screenChoice, 1);
    followFocus(d, FULL_SCREEN_CONTROL);
    placeAt(SOUND_CHECK);
    ImGui::Checkbox(SOUND_CHECK.text, &d.sound);
    followFocus(d, SOUND_CONTROL);
    drawQualityChoice(d);
    if (!d.suitedNote.empty()) {
        placeButtonAt(SUITED_NOTE);
        ImGui::TextUnformatted(d.suitedNote.c_str());
    }
    placeButtonAt(START_BUTTON);
    if (ImGui::Button(START_BUTTON.text, sizeOf(START_BUTTON))) start(d);
    followFocus(d, START_CONTROL);
    placeButtonAt(CANCEL_BUTTON);
    if (ImGui::Button(CANCEL_BUTTON.text, sizeOf(CANCEL_BUTTON))) cancel(d);
    followFocus(d, CANCEL_CONTROL);
    ImGui::End();
}

void handleEvent(const SDL_Event& e, DialogState& d) {
    ImGui_ImplSDL2_ProcessEvent(&e);
    const bool closeBox = e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE;
    if (e.type == SDL_QUIT || closeBox) cancel(d);
    if (e.type == SDL_KEYDOWN && e.key.repeat == 0) handleKey(e.key, d);
}

void drawFrame(SDL_Window* window, DialogState& d) {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    drawControls(d);
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(window);
}

// Waits for input instead of redrawing without pause: the dialog costs nothing while idle.
void runDialogLoop(SDL_Window* window, DialogState& d) {
    int framesLeft = FRAMES_PER_WAKE;
    while (!d.finished) {
        SDL_Event e;
        if (framesLeft == 0) {
            if (SDL_WaitEvent(&e) == 0) break;
            handleEvent(e, d);
            framesLeft = FRAMES_PER_WAKE;
        }
        while (SDL_PollEvent(&e)) handleEvent(e, d);
        if (d.finished) break;
        drawFrame(window, d);
        --framesLeft;
    }
}

// Said on a software renderer, where the quality matters most.
std::string suitedNote() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer == nullptr || !render::isSoftwareRenderer(renderer)) return {};
    return "QUALITY " + upperCase(render::qualityName(render::suitedQuality(renderer))) + " SUITS THIS COMPUTER";
}

int qualityIndex(render::Quality quality) {
    for (int k = 0; k < static_cast<int>(std::size(render::QUALITY_NAMES)); ++k)
        if (render::QUALITY_NAMES[k].quality == quality) return k;
    return 0;
}

std::optional<StartChoice> cannotOpen(const char* what) {
    std::fprintf(stderr, "vantrel: the start dialog cannot open (%s): %s\n", what, SDL_GetError());
    return std::nullopt;
}

}  // namespace

std::optional<StartChoice> runStartDialog(bool soundTicked, render::Quality quality) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("vantrel", 0, 0, DIALOG_PIXEL_WIDTH, DIALOG_PIXEL_HEIGHT,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (window == nullptr) return cannotOpen("window");
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        SDL_DestroyWindow(window);
        return cannotOpen("OpenGL");
    }
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;  // the game writes no files
    ImGui::StyleColorsLight();
    ImGui::GetStyle().WindowRounding = 0;
    ImGui::GetStyle().WindowBorderSize = 0;
    ImGui_ImplSDL2_InitForOpenGL(window, context);
    ImGui_ImplOpenGL3_Init("#version 330 core");

    DialogState d;
    d.sound = soundTicked;
    d.qualityChoice = qualityIndex(quality);
    d.suitedNote = suitedNote();
    runDialogLoop(window, d);

    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return d.result;
}

}  // namespace vantrel
