# A .def names the undecorated exports and maps each to its stdcall symbol (Name = Name@n) for
# the 32-bit build. A 64-bit build has no decoration, so it gets the names alone.
function(lmprof_def_file input output)
  file(READ ${input} content)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "[ \t]*=[ \t]*[A-Za-z0-9_]+@[0-9]+" "" content "${content}")
  endif()
  file(WRITE ${output} "${content}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
endfunction()
