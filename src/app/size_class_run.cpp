#include "app/size_class_run.h"

#include "app/app_state.h"
#include "kml/kml_tree.h"
#include "platform/os_services.h"
#include "tiling/grid_splitter.h"

namespace orvanta {

std::string singleImageRoot(const AppState& app) {
    return app.settings.projdir + kPathSeparator + app.settings.imagename;
}

void runSizeClass(AppState& app, const SizeClassTarget& target, bool kmlOnly) {
    switch (app.run.sizeClass) {
        case SizeClass::S4096:
            if (target.root4096)
                app.run.Root4096 = *target.root4096;
            break;
        case SizeClass::S2048:
            app.run.Root2048 = target.root;
            break;
        case SizeClass::S1024:
            app.run.Root1024 = target.root;
            break;
        case SizeClass::None:
            return;
    }
    if (kmlOnly) {
        MakeKml(app, app.run.sizeClass);
        return;
    }
    switch (app.run.sizeClass) {
        case SizeClass::S4096:
            Split4096(app);
            break;
        case SizeClass::S2048:
            Split2048(app);
            break;
        case SizeClass::S1024:
            Split1024(app);
            break;
        case SizeClass::None:
            break;
    }
}

}  // namespace orvanta
