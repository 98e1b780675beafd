// SPDX-License-Identifier: GPL-3.0-or-later
// The plugin's one exported symbol, which GDAL calls when it finds
// gdal_VENERA.so in its plugin folder or in GDAL_DRIVER_PATH.
#include "gdal/venera_dataset.h"

extern "C" __attribute__((visibility("default"))) void GDALRegister_VENERA() { dusk::RegisterVeneraDriver(); }
