# A shipped Windows binary carries no debug sections (about 0.5 MB instead of
# 7.5 MB) and no symbol table: after the link, the debug information moves to
# NAME.debug beside it, which the binary names in a .gnu_debuglink section
# for debuggers.
function(stats_split_debug_info target)
  if(NOT WIN32 OR NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Moving the debug information of ${target} to its .debug file"
    VERBATIM)
endfunction()
