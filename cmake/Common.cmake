# Settings every target of the project shares: link vv_common.
add_library(vv_common INTERFACE)
target_compile_features(vv_common INTERFACE cxx_std_20)
target_compile_options(vv_common INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
target_compile_definitions(vv_common INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
  VV_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  VV_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  VV_VERSION_PATCH=${PROJECT_VERSION_PATCH})
target_include_directories(vv_common INTERFACE ${PROJECT_SOURCE_DIR})
if(VV_WERROR)
  target_compile_options(vv_common INTERFACE -Werror)
endif()
if(VV_SANITIZE)
  target_compile_options(vv_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(vv_common INTERFACE -fsanitize=address,undefined)
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
find_library(LZO2_LIBRARY NAMES lzo2 REQUIRED)
find_path(LZO2_INCLUDE_DIR lzo/lzo1x.h REQUIRED)
add_library(vv_lzo2 INTERFACE)
target_link_libraries(vv_lzo2 INTERFACE ${LZO2_LIBRARY})
target_include_directories(vv_lzo2 INTERFACE ${LZO2_INCLUDE_DIR})

# Precompiled headers for targets of many files over Qt Widgets: parsing the
# Qt headers is most of each such file's compile time, so each target parses
# them once. Only headers every build has are listed; a file still includes
# what it uses.
set(VV_WIDGETS_PCH
  <QAbstractItemModel> <QAbstractItemView> <QAction> <QApplication> <QDialog>
  <QDir> <QFileInfo> <QHBoxLayout> <QHeaderView> <QImage> <QLabel> <QLineEdit>
  <QMenu> <QObject> <QPainter> <QPushButton> <QString> <QStringList> <QTimer>
  <QToolButton> <QTreeView> <QUrl> <QVBoxLayout> <QWidget>
  <algorithm> <functional> <map> <memory> <optional> <string> <vector>)
function(vv_precompile_widgets target)
  target_precompile_headers(${target} PRIVATE ${VV_WIDGETS_PCH})
endfunction()
# The same for test programs of several files: the test framework as well.
function(vv_precompile_widget_tests target)
  target_precompile_headers(${target} PRIVATE ${VV_WIDGETS_PCH} <gtest/gtest.h> <QTest>)
endfunction()
