# The demo program end to end: its scripted scenario headless, and closing its window during a
# transfer. Each runs zelvane-demo through demo_scenario_test.cmake, which checks the exit code
# and the lines that prove the scenario ran.
if(TARGET zelvane-demo)
    add_test(NAME Demo.HeadlessScenarioSeesEveryOutcome
        COMMAND ${CMAKE_COMMAND}
            -DDEMO=$<TARGET_FILE:zelvane-demo>
            -DSCENARIO=full
            -DPICTURES=${CMAKE_CURRENT_BINARY_DIR}/demo-pictures
            -P ${CMAKE_CURRENT_LIST_DIR}/demo_scenario_test.cmake)
    add_test(NAME Demo.ClosingDuringATransferEndsAtOnce
        COMMAND ${CMAKE_COMMAND}
            -DDEMO=$<TARGET_FILE:zelvane-demo>
            -DSCENARIO=close-during-transfer
            -P ${CMAKE_CURRENT_LIST_DIR}/demo_scenario_test.cmake)
    add_test(NAME Demo.AReaderThatGoesAwayEndsNoUpdate
        COMMAND ${CMAKE_COMMAND}
            -DDEMO=$<TARGET_FILE:zelvane-demo>
            -DSCENARIO=full
            -DREADER_GONE=ON
            -P ${CMAKE_CURRENT_LIST_DIR}/demo_scenario_test.cmake)
    set_tests_properties(Demo.AReaderThatGoesAwayEndsNoUpdate PROPERTIES LABELS e2e TIMEOUT 300)
    # Bounds for a loaded machine under the sanitizers; a normal run takes a few seconds.
    set_tests_properties(Demo.HeadlessScenarioSeesEveryOutcome PROPERTIES LABELS e2e TIMEOUT 300)
    set_tests_properties(Demo.ClosingDuringATransferEndsAtOnce PROPERTIES LABELS e2e TIMEOUT 60)
endif()
