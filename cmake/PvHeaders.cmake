# Include paths that follow the layers: a target sees the headers of the
# libraries it links and no others, so a lower layer including a header of a
# higher one fails to compile. Each library gets a directory of its own in the
# build tree holding a link to its folder, and exposes that directory; headers
# keep their paths from the source root ("mail/mime/mime.h").

get_filename_component(PV_HEADERS_ROOT ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

# pv_expose_folder(<target> <folder>): the folder and everything under it.
function(pv_expose_folder target folder)
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  cmake_path(GET folder PARENT_PATH parent)
  file(MAKE_DIRECTORY ${stage}/${parent})
  file(CREATE_LINK ${PV_HEADERS_ROOT}/${folder} ${stage}/${folder} SYMBOLIC)
  pv_include_stage(${target} ${stage})
endfunction()

# pv_expose_headers(<target> <folder>): the headers directly in the folder,
# not its subfolders, which may belong to a library above this one.
function(pv_expose_headers target folder)
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  # Made afresh, so a header removed from the folder is gone here too.
  file(REMOVE_RECURSE ${stage}/${folder})
  file(MAKE_DIRECTORY ${stage}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${PV_HEADERS_ROOT}/${folder}/*.h)
  foreach(header ${headers})
    cmake_path(GET header FILENAME name)
    file(CREATE_LINK ${header} ${stage}/${folder}/${name} SYMBOLIC)
  endforeach()
  pv_include_stage(${target} ${stage})
endfunction()

# Whatever links the target sees its headers too.
function(pv_include_stage target stage)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${stage})
  else()
    target_include_directories(${target} PUBLIC ${stage})
  endif()
endfunction()
