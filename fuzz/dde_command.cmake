zvo_fuzz(fuzz_dde_command app/webbrowser/ShellDdeCommands.cpp app/webbrowser/IEUtils.cpp)
