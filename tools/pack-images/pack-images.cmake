# Kestro's own icons are decoded at build time into a source of ready pixels
# (PackedIcons), so that the window shows them without decoding image files
# at start. The files stay in the resources for everything else.
add_executable(kestro-pack-images ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(kestro-pack-images PRIVATE Qt5::Gui)

set(KESTRO_PACKED_ICONS
  New Open Save Cursor undo redo Process_Rect link state Text transition Memory Dataflow
  bringtofront sendtoback delete zoom_in zoom_out fit_to_window Self_transition Properties)
set(pack_args)
set(pack_files)
foreach(name ${KESTRO_PACKED_ICONS})
  list(APPEND pack_args ${name}=${CMAKE_SOURCE_DIR}/resources/Images/${name}.png)
  list(APPEND pack_files ${CMAKE_SOURCE_DIR}/resources/Images/${name}.png)
endforeach()
list(APPEND pack_args app_icon=${CMAKE_SOURCE_DIR}/resources/Images/app_icon.ico)
list(APPEND pack_files ${CMAKE_SOURCE_DIR}/resources/Images/app_icon.ico)

set(packed_source ${CMAKE_BINARY_DIR}/packed/PackedImageData.cpp)
add_custom_command(
  OUTPUT ${packed_source}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packed
  # Leak checks of a sanitizer build would fail the build: the offscreen
  # platform keeps its allocations until exit.
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:kestro-pack-images> ${packed_source} ${pack_args}
  DEPENDS kestro-pack-images ${pack_files}
  COMMENT "Packing the window's icons"
  VERBATIM)
target_sources(kestro_app PRIVATE ${packed_source})
