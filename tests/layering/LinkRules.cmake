# Stops the configuration when a library links a layer it may not: the pixel, page, raster and
# system libraries link no Qt, nor do the drawing pass and the command-line tool (which load
# label text as a module), the Qt services and label text link no widgets, and nothing below
# the framework links it. Included once every target exists.

# Every library `target` links, directly or through others, into the variable `out`.
function(plimdisp_linked_closure target out)
  set(seen "")
  set(pending "${target}")
  while(pending)
    list(POP_FRONT pending current)
    if(NOT TARGET "${current}" OR current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${current}")
    get_target_property(type "${current}" TYPE)
    set(properties INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND properties LINK_LIBRARIES)
    endif()
    foreach(property IN LISTS properties)
      get_target_property(links "${current}" ${property})
      foreach(link IN LISTS links)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
        if(TARGET "${link}")
          get_target_property(aliased "${link}" ALIASED_TARGET)
          if(aliased)
            set(link "${aliased}")
          endif()
          list(APPEND pending "${link}")
        endif()
      endforeach()
    endforeach()
  endwhile()
  list(REMOVE_AT seen 0)
  set(${out} "${seen}" PARENT_SCOPE)
endfunction()

# Fails when `target` links any library whose name matches `pattern`.
function(plimdisp_forbid_links target pattern why)
  plimdisp_linked_closure(${target} linked)
  foreach(library IN LISTS linked)
    if(library MATCHES "${pattern}")
      message(FATAL_ERROR "${target} links ${library}: ${why}")
    endif()
  endforeach()
endfunction()

foreach(target plimdisp_pagefile plimdisp_canvas plimdisp_raster plimdisp_system)
  plimdisp_forbid_links(${target} "^Qt6?::" "this layer is plain C++ without Qt")
endforeach()
# The tool loads Qt only with the label text module, when a picture draws labels.
foreach(target plimdisp_pagepass plimdisp_cli plimdisp-cli)
  plimdisp_forbid_links(${target} "^Qt6?::|^plimdisp_(labeltext|system_qt|framework|pageview|resources|shell)$"
    "it draws and reads without Qt, widgets or the framework")
endforeach()
foreach(target plimdisp_system_qt plimdisp_labeltext plimdisp_labeltext_module)
  plimdisp_forbid_links(${target} "^Qt6?::(Widgets|PrintSupport|DBus)$|^plimdisp_(framework|pageview|resources|shell)$"
    "it serves the layers above without widgets or the framework")
endforeach()
