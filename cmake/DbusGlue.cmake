# Generates sdbus-c++ adaptor and proxy glue from the introspection XML of
# one interface. The generated headers land in the build tree under
# generated/<name>_adaptor.h and generated/<name>_proxy.h.
function(albumcore_dbus_glue target)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/generated)
  file(MAKE_DIRECTORY ${out_dir})
  set(headers)
  foreach(xml IN LISTS ARGN)
    get_filename_component(name ${xml} NAME_WE)
    set(adaptor ${out_dir}/${name}_adaptor.h)
    set(proxy ${out_dir}/${name}_proxy.h)
    add_custom_command(
      OUTPUT ${adaptor} ${proxy}
      COMMAND ${SDBUS_XML2CPP} ${xml} --adaptor=${adaptor} --proxy=${proxy}
      DEPENDS ${xml}
      COMMENT "Generating D-Bus glue for ${name}"
      VERBATIM)
    list(APPEND headers ${adaptor} ${proxy})
  endforeach()
  add_custom_target(${target}_gen DEPENDS ${headers})
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_gen)
  target_include_directories(${target} INTERFACE ${out_dir})
  target_link_libraries(${target} INTERFACE SDBusCpp::sdbus-c++)
endfunction()
