#include "io/groundSource.h"

#include <gdal.h>
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

TEST(GroundSource, KernelFilesAndLinksToThemAreRefusedByName) {
    const std::string link = testing::TempDir() + "kernelLink";
    unlink(link.c_str());
    ASSERT_EQ(symlink("/proc/self/mem", link.c_str()), 0);
    for (const std::string& name :
         {std::string("/proc/version"), std::string("/proc/self/environ"),
          std::string("/sys/kernel/notes"), link, "NETCDF:\"" + link + "\":z"}) {
        EXPECT_EQ(checkSourceName(BARRIERS_OPTION, name),
                  "--barriers: '" + name + "' lies under /proc, /sys or /dev, not a data file");
    }
    EXPECT_EQ(checkSourceName(TERRAIN_OPTION, "/etc/hostname"), "");
    unlink(link.c_str());
}

TEST(GroundSource, BlocksFarLargerThanTheirRasterAreRefused) {
    GDALAllRegister();
    for (const int side : {256, 32768}) {
        const std::string width = "BLOCKXSIZE=" + std::to_string(side);
        const std::string height = "BLOCKYSIZE=" + std::to_string(side);
        const char* options[] = {"TILED=YES", width.c_str(), height.c_str(), "SPARSE_OK=YES",
                                 nullptr};
        const Dataset tiny(GDALCreate(GDALGetDriverByName("GTiff"), "/vsimem/tiles.tif", 3, 3, 1,
                                      GDT_Float32, const_cast<char**>(options)));
        ASSERT_TRUE(tiny);
        EXPECT_EQ(checkBlockSizes(tiny.get(), TERRAIN_OPTION, "tiles.tif"),
                  side == 256 ? ""
                              : "--terrain: 'tiles.tif' has blocks of 32768 x 32768 pixels, far "
                                "larger than its 3 x 3 pixels");
    }
    VSIUnlink("/vsimem/tiles.tif");
}
