# The suites built for Windows, run under Wine from this Linux machine.
#
# Every suite is the same source as on Linux, linked against the Windows
# libraries and started as `wine suite.exe`. The run shares one Xvfb, one
# window manager and one throw-away prefix (tests/support/with-wine.sh),
# which the Linux build's windows_suites test sets up around this tree's
# ctest. The suites that drive the real program on an X desktop (e2e,
# game_window) are Linux programs in both cases and stay in the Linux tree,
# where they also drive nubrix.exe under Wine.
find_program(NUBRIX_WINE wine PATHS /usr/bin NO_CMAKE_FIND_ROOT_PATH REQUIRED)
list(REMOVE_ITEM NUBRIX_TEST_AREAS e2e)
