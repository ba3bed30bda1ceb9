# Runs the layering check on small trees written here, so that a check which
# could never fail shows up. The trees sit below folders named like the
# backends, as a checkout may: only the backend folders inside the project
# may include a platform header.
#   cmake -DCHECK=<check_layering.cmake> -DWORK=<scratch folder> -P layering_probe.cmake

set(failures "")

# probe(NAME FILE INCLUDE SHOULD_PASS): a tree holding only FILE, whose one
# line includes INCLUDE; the check must pass or fail as told.
function(probe name path include should_pass)
    set(root "${WORK}/${name}/win32/sdl/checkout")
    file(REMOVE_RECURSE "${WORK}/${name}")
    file(WRITE "${root}/${path}" "#include ${include}\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${CHECK}
        RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(result EQUAL 0)
        set(passed TRUE)
    else()
        set(passed FALSE)
    endif()
    if(NOT passed STREQUAL should_pass)
        set(failures "${failures}\n  ${path} with ${include}: check passed = ${passed}" PARENT_SCOPE)
    endif()
endfunction()

# Caught in the core.
probe(sim-windows sim/entity.cpp "<windows.h>" FALSE)
probe(settings-ddraw settings/options_record.h "<ddraw.h>" FALSE)
probe(run-wingdi run/frame_driver.cpp "<wingdi.h>" FALSE)
probe(host-sdl host/mode.cpp "<SDL.h>" FALSE)
probe(render-sdl-ttf render/glyph_font.cpp "<SDL2/SDL_ttf.h>" FALSE)
probe(artgen-sdl-image tools/artgen/image.cpp "\"SDL_image.h\"" FALSE)
# The core has no backend folders of its own.
probe(sim-sdl-folder sim/sdl/draw.cpp "<SDL.h>" FALSE)
# The host never includes the run; the run may include the host.
probe(host-run host/win32/saver_window.cpp "\"run/win32/saver_run.h\"" FALSE)
probe(run-host run/win32/saver_proc.cpp "\"host/win32/saver_host.h\"" TRUE)
probe(sim-x11 sim/world.cpp "<X11/Xlib.h>" FALSE)
probe(run-emscripten run/frame_driver.cpp "<emscripten.h>" FALSE)
# Allowed in the backends.
probe(render-sdl render/sdl/surface.cpp "<SDL.h>" TRUE)
probe(render-win32 render/win32/surface.cpp "<ddraw.h>" TRUE)
probe(settings-win32 settings/win32/registry_store.cpp "<windows.h>" TRUE)
probe(run-sdl run/sdl/input.cpp "<SDL.h>" TRUE)
probe(host-win32 host/win32/entry.cpp "<windows.h>" TRUE)
probe(host-sdl-folder host/sdl/window.cpp "<SDL.h>" TRUE)
probe(host-x11-folder host/x11/window.cpp "<X11/Xlib.h>" TRUE)
probe(render-web render/web/web_display.cpp "<emscripten.h>" TRUE)
# The simulation draws through its display, never through render/.
probe(sim-render sim/world.cpp "\"render/surface.h\"" FALSE)
probe(sim-render-header sim/entity.h "<render/sprite_sheet.h>" FALSE)
probe(run-render run/frame_driver.cpp "\"render/surface.h\"" TRUE)
# A tool never includes a test.
probe(tool-test tools/world/main.cpp "\"tests/render/test_display.h\"" FALSE)
probe(tool-render tools/world/main.cpp "\"render/sdl/headless_display.h\"" TRUE)

if(failures)
    message(FATAL_ERROR "the layering check judged wrongly:${failures}")
endif()
