#include "app/app_state.h"

namespace orvanta {

void AppState::setStatus(const std::string& text) {
    statusText_ = text;
    host_.statusChanged(text);
}

void AppState::formLoad(const std::vector<std::string>& fixedDisks) {
    options.primaryDrives = fixedDisks;
    options.secondaryDrives = fixedDisks;
    run.sizeClass = SizeClass::None;
    run.Root1024 = settings.tilesdirr;
    settings.Combo1 = kTileSizeChoices.front();
    settings.Combo2 = "JPG";
    dosave = "0";
    settings.Combo4 = "LOW";
    settings.Combo5 = kQualityChoices.front();
}

void AppState::check1Click() {
    enabled.Text11 = settings.Check1 == 1;
}

void AppState::check2Click() {
    applyMultipleDirectoriesRule();
}

void AppState::applyMultipleDirectoriesRule() {
    const bool on = settings.Check2 == 1;
    if (!on)
        settings.List2.clear();
    enabled.List2 = enabled.Command15 = enabled.Command28 = enabled.Command16 = enabled.Command17 =
        on;
}

void AppState::check4Click() {
    if (settings.Check4 == 1) {
        settings.Combo2 = "PNG";
        enabled.Combo2 = false;
    } else {
        enabled.Combo2 = true;
    }
}

void AppState::check6Click() {
    if (settings.Check6 == 1) {
        host_.messageBox(
            "Please add first the High Resolution Image then add the low resolution Image.",
            kAppTitle);
    }
    applyMultiResolutionRule();
    enabled.Command25 = false;
    enabled.Command26 = false;
}

void AppState::applyMultiResolutionRule() {
    const bool on = settings.Check6 == 1;
    if (!on) {
        settings.List1.clear();
        settings.List3.clear();
    }
    enabled.List1 = enabled.Command11 = enabled.Command12 = enabled.Command13 = on;
}

void AppState::label25Click() {
    if (auto colour = host_.chooseColour(settings.Label25))
        setTransparentColour(*colour);
}

void AppState::setTransparentColour(std::uint32_t colour) {
    settings.Label25 = colour & 0xFFFFFFu;
    settings.Label26 = colourText(settings.Label25);
}

std::string colourText(std::uint32_t colour) {
    const unsigned red = colour & 0xFFu;
    const unsigned green = (colour & 0xFF00u) / 256;
    const unsigned blue = (colour & 0xFF0000u) / 65536;
    return "RGB(" + std::to_string(red) + ", " + std::to_string(green) + ", " +
           std::to_string(blue) + ")";
}

void AppState::CloseProject() {
    settings.List2.clear();
    settings.List1.clear();
    settings.List3.clear();
    settings.Check2 = 0;
    applyMultipleDirectoriesRule();
    settings.tilesdirr.clear();
    settings.Projectimage.clear();
    settings.projname.clear();
    settings.projdir.clear();
    settings.kmlpath.clear();
    settings.Check5 = 0;
    setStatus("Status...");
    run.PaddedPieces = "0";
    settings.Largeimage.clear();
    run.LargeImageMode = false;
    enabled.Command25 = false;
    settings.Combo1 = "256x256";
    settings.Label25 = 0;
    settings.Combo4 = "LOW";
    settings.Projectfilename.clear();
    enabled.Command26 = false;
    settings.Label1.clear();
    settings.Label2.clear();
    settings.Label3.clear();
    settings.Label4.clear();
    Label5.clear();
    doEvents();
}

}  // namespace orvanta
