// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/resources.h"

#include <QtGlobal>

// The resources of a static library are registered by hand, at global scope.
static void RegisterDuskmapperResources() { Q_INIT_RESOURCE(duskmapper); }

namespace dusk::app {

void LoadResources() {
    static const bool loaded = [] {
        RegisterDuskmapperResources();
        return true;
    }();
    (void)loaded;
}

}  // namespace dusk::app
