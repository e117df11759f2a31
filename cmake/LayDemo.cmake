# Lays out the demo: a Wine prefix holding a simulator folder with its
# aircraft, its fsx.cfg in the all-users application data, and the program
# installed at Brevantix/Talvane below the simulator folder. Every run starts
# from the shipped files again (kneeboard pages and backups included).
# Inputs: PROGRAM_DIR, DEMO_DIR, DEMO_SOURCE.
set(SIM "${DEMO_DIR}/wineprefix/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X")
set(INSTALL "${SIM}/Brevantix/Talvane")
file(REMOVE_RECURSE "${INSTALL}")
file(MAKE_DIRECTORY "${INSTALL}")
file(COPY "${PROGRAM_DIR}/" DESTINATION "${INSTALL}")
file(REMOVE_RECURSE "${SIM}/SimObjects")
file(MAKE_DIRECTORY "${SIM}/SimObjects/Airplanes")
file(COPY "${DEMO_SOURCE}/SimObjects" DESTINATION "${SIM}")
if(NOT EXISTS "${SIM}/fsx.exe")
  file(WRITE "${SIM}/fsx.exe" "stand-in for the simulator's executable\n")
endif()
file(COPY "${DEMO_SOURCE}/fsx.cfg" DESTINATION "${DEMO_DIR}/wineprefix/drive_c/ProgramData/Microsoft/FSX")
