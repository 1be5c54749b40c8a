# Build and install rules of the point-sensor panels; included by widgets/CMakeLists.txt.

# FastConfigWidget reads its button pictures from "resources/images" below the working
# directory. They sit in the build folder; the installation keeps them in share/VelaWidgets4,
# for a program that shows the panel to be started there or to link that resources folder.
set(VELA_PANEL_IMAGES_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources/images)
file(GLOB VELA_PANEL_IMAGES CONFIGURE_DEPENDS ${VELA_PANEL_IMAGES_DIR}/*.png)
foreach(image ${VELA_PANEL_IMAGES})
  get_filename_component(image_name ${image} NAME)
  configure_file(${image} ${CMAKE_BINARY_DIR}/resources/images/${image_name} COPYONLY)
endforeach()
install(FILES ${VELA_PANEL_IMAGES} DESTINATION ${CMAKE_INSTALL_DATADIR}/VelaWidgets4/resources/images)

# The pictures are drawn by our own program; redraw the committed ones with
#   cmake --build <build> --target vela-panel-icons
add_executable(vela-draw-icons EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/resources/draw_icons.cpp)
target_link_libraries(vela-draw-icons PRIVATE Qt6::Gui)
add_custom_target(vela-panel-icons
  COMMAND vela-draw-icons ${VELA_PANEL_IMAGES_DIR}
  COMMENT "Drawing the quick configuration panel's pictures")

# Renders every widget of the library to a PNG (pictures for the README):
#   vela-widget-gallery <folder>
add_executable(vela-widget-gallery ${CMAKE_CURRENT_SOURCE_DIR}/gallery/main.cpp)
target_link_libraries(vela-widget-gallery PRIVATE VelaWidgets4)
