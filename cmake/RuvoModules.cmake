# Which modules each module may use: the one-way dependencies. Read by the build (RuvoLayering.cmake)
# and by the layering test (check_layering.cmake), so both hold the same table.

set(RUVO_MODULES core fitting analysis calc audio tracking synth cli desktop plot ui)

set(RUVO_USES_core "")
set(RUVO_USES_fitting core)
set(RUVO_USES_analysis core fitting)
set(RUVO_USES_calc core analysis fitting)
set(RUVO_USES_audio core tracking)
set(RUVO_USES_tracking core)
set(RUVO_USES_synth core)
set(RUVO_USES_cli core analysis fitting calc audio tracking synth)
set(RUVO_USES_desktop core)
set(RUVO_USES_plot core calc tracking)
set(RUVO_USES_ui core fitting analysis calc audio tracking synth desktop plot)

# Headers a module sees beyond its table row, each with the headers it includes, because a header of
# a module it may use includes them. calc/run_checks.h keeps the pulse analysis's evidence by value.
set(RUVO_BORROWS_plot analysis/pulse_analysis.h)
