zvo_fuzz(fuzz_dde_command widgets/webbrowser/ShellDdeCommands.cpp widgets/webbrowser/IEUtils.cpp)
