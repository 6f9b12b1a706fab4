# Fails when a core folder reaches up into the window: catalogue/, detection/,
# update/ and outside/ include nothing from app/ and no widget.
# Run as: cmake -DSOURCE_DIR=<repository> -P layering.cmake
file(GLOB_RECURSE core_files ${SOURCE_DIR}/catalogue/* ${SOURCE_DIR}/detection/*
     ${SOURCE_DIR}/update/* ${SOURCE_DIR}/outside/*)
set(widget_include "#include[ \t]*[<\"](app/|ui_|QtWidgets|Q(Widget|MessageBox|Dialog|ProgressDialog|MainWindow|Label|PushButton|ListWidget|Application)[>\"])")
foreach(file IN LISTS core_files)
    file(STRINGS ${file} hits REGEX "${widget_include}")
    if(hits)
        list(APPEND offenders "${file}: ${hits}")
    endif()
endforeach()
if(offenders)
    string(REPLACE ";" "\n" offenders "${offenders}")
    message(FATAL_ERROR "core files that include the window or a widget:\n${offenders}")
endif()
