# Read by ctest after the tests are listed: the longest tests get a high cost, and ctest starts
# the costliest first when it runs tests in parallel. A name not listed only loses its place.
foreach(test X11Host.ClockFollowsTheSystemTimeZoneWithoutARestart
    X11Host.EndsWithinTwoHundredMillisecondsOfASignalWhateverTheDecoderDoes
    SimulatedTime.MemoryStaysFlatOverAHundredThousandCycles
    DebianPackage.PassesLintianAndInstallsRunsAndRemovesCleanly
    HostileBundle.WindowHostKeepsRunningAndEndsOnTermination)
  set_tests_properties("${test}" PROPERTIES COST 1000)
endforeach()
