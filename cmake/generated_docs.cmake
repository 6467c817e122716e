# Writes into OUT_DIR what is made from the programs' own help at build time, so that the two
# never disagree: the bash completion of orvanta-cli, and the man pages of orvanta-cli and (when
# WINDOW is given) orvanta, with help2man. The programs run from their folder under their own
# names, so that the pages show "orvanta-cli" and not a build path.
# Arguments: CLI, WINDOW (may be empty), VERSION, HELP2MAN, OUT_DIR.
execute_process(COMMAND ${CLI} --bash-completion OUTPUT_FILE ${OUT_DIR}/orvanta-cli
                COMMAND_ERROR_IS_FATAL ANY)

# The options of every command, from the commands the completion offers.
file(READ ${OUT_DIR}/orvanta-cli completion)
string(REGEX MATCH "compgen -W \"([^\"]*) --help --version\"" found "${completion}")
separate_arguments(commands UNIX_COMMAND "${CMAKE_MATCH_1}")
set(include "[COMMANDS AND THEIR OPTIONS]\n")
foreach(command IN LISTS commands)
  execute_process(COMMAND ${CLI} ${command} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "\\" "\\e" help "${help}")
  string(APPEND include ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUT_DIR}/orvanta-cli.h2m "${include}")

get_filename_component(cli_dir ${CLI} DIRECTORY)
set(path "${cli_dir}:$ENV{PATH}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env PATH=${path}
          ${HELP2MAN} --no-info --section 1 --include ${OUT_DIR}/orvanta-cli.h2m
          --name "turn georeferenced imagery into tile pyramids and KML super-overlays"
          --output ${OUT_DIR}/orvanta-cli.1 orvanta-cli
  COMMAND_ERROR_IS_FATAL ANY)
if(WINDOW)
  get_filename_component(window_dir ${WINDOW} DIRECTORY)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            PATH=${window_dir}:$ENV{PATH}
            ${HELP2MAN} --no-info --section 1 --version-string ${VERSION}
            --name "the window that turns georeferenced imagery into KML super-overlays"
            --output ${OUT_DIR}/orvanta.1 orvanta
    COMMAND_ERROR_IS_FATAL ANY)
endif()
