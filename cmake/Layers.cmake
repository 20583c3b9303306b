# Before any layer builds, every #include of src/ is checked against the
# layers' arrows (cmake/CheckLayers.cmake). The libraries' Qt modules already
# keep a bare widget header such as <QWidget> out of the data layer; this
# also stops an include of another layer's header that points upwards or
# sideways, and a module header written with its folder (<QtWidgets/QLabel>),
# which the compiler would find through Qt Core's include path.
set(QUILLMARK_LAYERS jetsql platform_core platform access records safekeeping caseform find print deadlines browser session commands app)
set(QUILLMARK_LAYER_SOURCES)
foreach(layer ${QUILLMARK_LAYERS})
  get_target_property(sources quillmark_${layer} SOURCES)
  get_target_property(dir quillmark_${layer} SOURCE_DIR)
  foreach(source ${sources})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${dir}/${source})
    endif()
    if(source MATCHES "^${PROJECT_SOURCE_DIR}/src/.*\\.(h|cpp)$")
      list(APPEND QUILLMARK_LAYER_SOURCES ${source})
    endif()
  endforeach()
endforeach()
foreach(program quillmark-wizard quillmark-access-reader)
  get_target_property(main_sources ${program} SOURCES)
  get_target_property(main_dir ${program} SOURCE_DIR)
  foreach(source ${main_sources})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${main_dir}/${source})
    endif()
    list(APPEND QUILLMARK_LAYER_SOURCES ${source})
  endforeach()
endforeach()

# Qt's include root: the folder that holds QtCore/, QtWidgets/, ...
get_target_property(qt_core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
foreach(dir ${qt_core_includes})
  if(dir MATCHES "/QtCore$")
    get_filename_component(QUILLMARK_QT_INCLUDE_ROOT ${dir} DIRECTORY)
  endif()
endforeach()

set(stamp ${PROJECT_BINARY_DIR}/layers.checked)
add_custom_command(OUTPUT ${stamp}
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/src
          -DQT_INCLUDE_ROOT=${QUILLMARK_QT_INCLUDE_ROOT} -DSTAMP=${stamp}
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  DEPENDS ${QUILLMARK_LAYER_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMENT "Checking the layers' includes"
  VERBATIM)
add_custom_target(quillmark_layers ALL DEPENDS ${stamp})
foreach(layer ${QUILLMARK_LAYERS})
  add_dependencies(quillmark_${layer} quillmark_layers)
endforeach()
