#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""gdal_python_test.py EXPORTER: GDAL's Python bindings and rasterio, with
the VENERA plugin that GDAL_DRIVER_PATH names, read a tile as the array of
the exporter's GeoTIFF, with and without open options, and at the same
place (of a reduced picture, the reduced picture alone, as the file holds)."""
import os
import subprocess
import sys
import tempfile

import numpy as np
import rasterio
from osgeo import gdal

gdal.UseExceptions()

LABEL = """PDS_VERSION_ID = PDS3
OBJECT = IMAGE
  LINES = 1119
  LINE_SAMPLES = 1036
  SAMPLE_BITS = 8
END_OBJECT = IMAGE
OBJECT = IMAGE_MAP_PROJECTION
  MAP_PROJECTION_TYPE = "POLAR STEREOGRAPHIC"
  A_AXIS_RADIUS = 6051.8 <KM>
  CENTER_LATITUDE = 90.0 <DEG>
  CENTER_LONGITUDE = 330.0 <DEG>
  LINE_PROJECTION_OFFSET = -1500.0
  SAMPLE_PROJECTION_OFFSET = 518.0
  MAP_SCALE = 1.0 <KM/PIXEL>
END_OBJECT = IMAGE_MAP_PROJECTION
END
"""

# The exporter's options and the same picture as open options.
PICTURES = [
    ([], {}),
    (["--despeckle", "--stretch", "--invert"], {"DESPECKLE": "YES", "STRETCH": "YES", "INVERT": "YES"}),
    (["--minimize-half", "--rotate", "--brightness", "40"], {"MINIMIZE_HALF": "YES", "ROTATE": "YES",
                                                             "BRIGHTNESS": "40"}),
    (["--original"], {"ORIGINAL": "YES"}),
]


def main():
    exporter = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        image = os.path.join(work, "V1201.img")
        # 1036 x 1120 from 1119 rows: the last row is zeros.
        samples = np.random.default_rng(5).integers(1, 256, 1159284, dtype=np.uint8)
        samples[40 * 1036:41 * 1036] = 0
        samples.tofile(image)
        with open(os.path.join(work, "V1201.lbl"), "w", encoding="ascii") as label:
            label.write(LABEL)

        for flags, options in PICTURES:
            tif = os.path.join(work, "picture.tif")
            subprocess.run([exporter, "--quiet", *flags, image, "-o", tif], check=True)
            exported = gdal.Open(tif)
            expected = exported.ReadAsArray()
            dataset = gdal.OpenEx(image, open_options=[f"{k}={v}" for k, v in options.items()])
            through_gdal = dataset.ReadAsArray()
            with rasterio.open(image, **options) as source:
                through_rasterio = source.read(1)
                rasterio_transform = source.transform.to_gdal()
            for reader, array in (("osgeo.gdal", through_gdal), ("rasterio", through_rasterio)):
                if array.shape != expected.shape or not np.array_equal(array, expected):
                    failures.append(f"{reader} with {options}: not the exporter's picture")
            if tuple(rasterio_transform) != tuple(dataset.GetGeoTransform()):
                failures.append(f"rasterio with {options}: the transform {rasterio_transform}")
            if tuple(dataset.GetGeoTransform()) != tuple(exported.GetGeoTransform()):
                failures.append(f"osgeo.gdal with {options}: not the exporter's transform")
            if not options:
                stored = np.zeros(1036 * 1120, dtype=np.uint8)
                stored[:samples.size] = samples
                if not np.array_equal(through_gdal.ravel(), stored):
                    failures.append("without options: not the stored samples")
                if dataset.GetRasterBand(1).GetNoDataValue() != 0:
                    failures.append("without options: level 0 is not no data")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if not failures:
        print("osgeo.gdal and rasterio read the exporter's pictures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
