# The branding tool's tests, in the build that makes it (included from
# tests/CMakeLists.txt).
#
# Executables the tool makes at build time for the end-to-end tests under
# Wine (tests/e2e/BrandedTest.cpp). The tool reads its arguments in the build
# machine's locale, so the non-Latin product name needs a UTF-8 one.
set(BRANDED_DIR "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/branded")
set(brand_pictures "${CMAKE_CURRENT_SOURCE_DIR}/brand/pictures")
set(brand_run ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 "${Java_JAVA_EXECUTABLE}" -jar "${BRAND_JAR}")
add_custom_command(
  OUTPUT "${BRANDED_DIR}/Branded.exe" "${BRANDED_DIR}/Branded64.exe" "${BRANDED_DIR}/English.exe"
  COMMAND ${brand_run} --output "${BRANDED_DIR}/Branded.exe" --output64 "${BRANDED_DIR}/Branded64.exe"
          --pair-product --product-name "Łódź Tools 製品" --product-version 1.2.3-SNAPSHOT
          --company "Example Corp" --copyright "© 2026 Example Corp" --description "Tools for Łódź"
          --icon "${brand_pictures}/app-256.png" --icon "${brand_pictures}/app-48.png"
          --icon "${brand_pictures}/app-32.png" --icon "${brand_pictures}/app-16.png"
          --settings "${CMAKE_CURRENT_SOURCE_DIR}/brand/Embedded.ini"
          --execution-level highestAvailable --long-path-aware
  COMMAND ${brand_run} --output "${BRANDED_DIR}/English.exe" --messages en
  DEPENDS brand_jar "${BRAND_JAR}" "${CMAKE_CURRENT_SOURCE_DIR}/brand/Embedded.ini"
          "${brand_pictures}/app-256.png" "${brand_pictures}/app-48.png" "${brand_pictures}/app-32.png"
          "${brand_pictures}/app-16.png"
  COMMENT "Branding the test executables"
  VERBATIM)
add_custom_target(branded_executables DEPENDS "${BRANDED_DIR}/Branded.exe")
add_dependencies(e2e_tests branded_executables)
target_compile_definitions(e2e_tests PRIVATE LAUNCHER_BRANDED_DIR=L"${BRANDED_DIR}")
target_link_libraries(e2e_tests PRIVATE version)

# The tool's own tests: small Java mains, compiled against its classes.
file(GLOB brand_test_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/brand/src/launcher/brand/*.java")
set(brand_test_mains ${brand_test_sources})
list(FILTER brand_test_mains INCLUDE REGEX "Test\\.java$")
set(brand_test_classes "${CMAKE_BINARY_DIR}/brand/test-classes")
add_custom_command(OUTPUT "${brand_test_classes}/.built"
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${brand_test_classes}"
  COMMAND ${Java_JAVAC_EXECUTABLE} --release 8 -encoding UTF-8 -nowarn -cp "${BRAND_CLASSES}"
          -d "${brand_test_classes}" ${brand_test_sources}
  COMMAND ${CMAKE_COMMAND} -E touch "${brand_test_classes}/.built"
  DEPENDS brand_jar "${BRAND_JAR}" ${brand_test_sources}
  VERBATIM)
add_custom_target(brand_test_classes ALL DEPENDS "${brand_test_classes}/.built")
# The tests run on the build machine: a Linux class path.
foreach(source IN LISTS brand_test_mains)
  get_filename_component(name "${source}" NAME_WE)
  add_test(NAME brand.${name}
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 "${Java_JAVA_EXECUTABLE}"
            -cp "${BRAND_CLASSES}:${brand_test_classes}" launcher.brand.${name}
            "${BRAND_JAR}" "${CMAKE_CURRENT_BINARY_DIR}/brand-work/${name}" "${brand_pictures}")
  set_tests_properties(brand.${name} PROPERTIES TIMEOUT 120 LABELS brand)
endforeach()

# The results read by tools that know nothing of the branding tool: Debian's
# python3-pefile (so Debian's own Python), icoutils and osslsigncode.
find_program(LAUNCHER_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
add_test(NAME brand.independent_readers
  COMMAND "${LAUNCHER_SYSTEM_PYTHON}" "${CMAKE_CURRENT_SOURCE_DIR}/brand/check-independently.py"
          "${BRAND_JAR}" "${CMAKE_CURRENT_BINARY_DIR}/brand-work/independent" "${brand_pictures}")
set_tests_properties(brand.independent_readers PROPERTIES TIMEOUT 180 LABELS brand)

# The sample Maven project brands its executables at package, offline, with
# Debian's Maven and plugins.
add_test(NAME brand.maven_sample
  COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/brand/maven-sample.sh" "${BRAND_JAR}"
          "${CMAKE_CURRENT_BINARY_DIR}/brand-work/maven")
set_tests_properties(brand.maven_sample PROPERTIES TIMEOUT 300 LABELS brand)
