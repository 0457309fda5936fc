#pragma once
// The guards on the user's vector files, shared by every reader of them: only plain layers are
// read (no SQL views, no OGR VRTs, whose layers are queries run on every read), and the file is
// opened under the guards of io/groundSource.h.

#include <gdal.h>

#include <functional>
#include <string>
#include <vector>

// The layers of `file` (opened from `path`, named by `option`) in order, when every one is a
// plain table; else the one-line refusal naming the option, the file and the layer.
std::string plainLayers(GDALDatasetH file, const char* option, const std::string& path,
                        std::vector<OGRLayerH>& layers);

// Runs `load` with GDAL quiet and limited to regular files, after checking the name `path` of
// `option`; a source GDAL was refused meanwhile fails the load. Returns the one-line error.
std::string loadGuarded(const char* option, const std::string& path,
                        const std::function<std::string()>& load);
