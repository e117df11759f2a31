# Lays out the demo: a Wine prefix holding a simulator folder with its
# aircraft, its fsx.cfg in the all-users application data, and the program
# installed at Brevantix/Talvane below the simulator folder. Every run starts
# from the shipped files again (kneeboard pages and backups included).
# The simulator's executable is the demo simulator, listening where the
# SimConnect.xml written for the building user says.
# Inputs: PROGRAM_DIR, DEMO_DIR, DEMO_SOURCE, SIMULATOR_EXE, SIMCONNECT_PORT.
set(SIM "${DEMO_DIR}/wineprefix/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X")
set(INSTALL "${SIM}/Brevantix/Talvane")
file(REMOVE_RECURSE "${INSTALL}")
file(MAKE_DIRECTORY "${INSTALL}")
file(COPY "${PROGRAM_DIR}/" DESTINATION "${INSTALL}")
file(REMOVE_RECURSE "${SIM}/SimObjects")
file(MAKE_DIRECTORY "${SIM}/SimObjects/Airplanes")
file(COPY "${DEMO_SOURCE}/SimObjects" DESTINATION "${SIM}")
file(REMOVE "${SIM}/fsx_state.json" "${SIM}/fsx_events.log")  # left by an earlier run
file(COPY_FILE "${SIMULATOR_EXE}" "${SIM}/fsx.exe")
file(CHMOD "${SIM}/fsx.exe" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
file(COPY "${DEMO_SOURCE}/fsx.cfg" DESTINATION "${DEMO_DIR}/wineprefix/drive_c/ProgramData/Microsoft/FSX")

# Where add-on clients reach the simulator: the user's SimConnect.xml, for
# the login name of whoever builds (the voice module looks there for the user
# it runs as).
execute_process(COMMAND id -un OUTPUT_VARIABLE LOGIN OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE LOGIN_FAILED)
if(LOGIN_FAILED OR LOGIN STREQUAL "")
  message(FATAL_ERROR "Demo: cannot tell the login name (id -un)")
endif()
set(SIMCONNECT_DIR "${DEMO_DIR}/wineprefix/drive_c/users/${LOGIN}/AppData/Roaming/Microsoft/FSX")
file(MAKE_DIRECTORY "${SIMCONNECT_DIR}")
file(WRITE "${SIMCONNECT_DIR}/SimConnect.xml" "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>
<SimBase.Document Type=\"SimConnect\" version=\"1,0\">
  <Descr>SimConnect Server Configuration</Descr>
  <Filename>SimConnect.xml</Filename>
  <SimConnect.Comm>
    <Descr>Static IP4 port</Descr>
    <Protocol>IPv4</Protocol>
    <Scope>local</Scope>
    <Address>127.0.0.1</Address>
    <MaxClients>64</MaxClients>
    <Port>${SIMCONNECT_PORT}</Port>
    <MaxRecvSize>4096</MaxRecvSize>
    <DisableNagle>False</DisableNagle>
  </SimConnect.Comm>
</SimBase.Document>
")
