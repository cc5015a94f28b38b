# Builds one setup package (run by CMakeLists.txt with cmake -P):
#   -DWIXL= -DMSIBUILD= -DWXS=<Vellox.wxs> -DARCH=x86|x64 -DDIST=<folder of the
#   stripped libraries> -DFILES=<File table keys to register, comma-separated>
#   -DVERSION=<ProductVersion a.b.c> -DPRODUCT_CODE=<GUID> -DUPGRADE_CODE=<GUID> -DOUT=<package>
# wixl writes the package; msibuild then adds what wixl cannot author: the
# SelfReg table with one row per library and the two standard actions that
# call DllRegisterServer at installation and DllUnregisterServer at removal,
# the conditions that pick one of the two add-in entries, the properties a
# per-machine installation must accept from the command line, and the German
# language in the summary's template.
cmake_minimum_required(VERSION 3.25)
foreach(var WIXL MSIBUILD WXS ARCH DIST FILES VERSION PRODUCT_CODE UPGRADE_CODE OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not given")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${DIST} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    file(REMOVE ${tmp})
    message(FATAL_ERROR "${ARGN}\n${out}")
  endif()
endfunction()

string(REPLACE "," ";" FILES "${FILES}")
if("VelloxOcx" IN_LIST FILES)
  set(ocx yes)
else()
  set(ocx no)
endif()
set(tmp ${OUT}.tmp)
file(REMOVE ${tmp})
run(${WIXL} -a ${ARCH} -D Arch=${ARCH} -D Ocx=${ocx} -D Version=${VERSION}
  -D ProductCode=${PRODUCT_CODE} -D UpgradeCode=${UPGRADE_CODE} -o ${tmp} ${WXS})

# One add-in entry: the installing user's, or with ADDINALLUSERS=1 the
# machine's. Both conditions are evaluated again at every run (also at
# removal), with ADDINALLUSERS kept by the machine's entry (Vellox.wxs).
run(${MSIBUILD} ${tmp}
  -q "UPDATE `Component` SET `Condition` = 'ADDINALLUSERS<>\"1\"' WHERE `Component` = 'AddinEntry'"
  -q "UPDATE `Component` SET `Condition` = 'ADDINALLUSERS=\"1\"' WHERE `Component` = 'MachineAddinEntry'")
# Called directly: run() would split the list at its semicolons.
execute_process(COMMAND ${MSIBUILD} ${tmp} -q "UPDATE `Property` SET `Value` = \
'ADDINALLUSERS;MACHINEADDIN;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE `Property` = 'SecureCustomProperties'"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${tmp})
  message(FATAL_ERROR "msibuild: SecureCustomProperties not set")
endif()

# Standard sequence numbers: unregister before the files go (RemoveFiles 3500),
# register after they are in place and the registry is written (5000).
run(${MSIBUILD} ${tmp} -q "CREATE TABLE `SelfReg` (`File_` CHAR(72) NOT NULL, `Cost` SHORT PRIMARY KEY `File_`)")
foreach(file ${FILES})
  run(${MSIBUILD} ${tmp} -q "INSERT INTO `SelfReg` (`File_`) VALUES ('${file}')")
endforeach()

# wixl leaves the File table's Version empty, which makes Windows Installer
# treat the libraries as unversioned data files (replaced by date, not by
# version). The version is the fixed file version of the library's own
# version resource (VS_FIXEDFILEINFO, signature FEEF04BD).
function(file_version path out)
  file(READ ${path} hex HEX)
  string(FIND "${hex}" "bd04effe" at)
  while(at GREATER_EQUAL 0 AND NOT at MATCHES "[02468]$")
    # Only a position on a byte boundary is a match.
    math(EXPR next "${at} + 1")
    string(SUBSTRING "${hex}" ${next} -1 rest)
    string(FIND "${rest}" "bd04effe" found)
    if(found LESS 0)
      set(at -1)
    else()
      math(EXPR at "${next} + ${found}")
    endif()
  endwhile()
  if(at LESS 0)
    message(FATAL_ERROR "${path} has no version resource")
  endif()
  math(EXPR at "${at} + 16")
  string(SUBSTRING "${hex}" ${at} 16 words)  # dwFileVersionMS, dwFileVersionLS
  set(parts)
  foreach(offset 4 0 12 8)  # little-endian 16-bit halves: high word first
    string(SUBSTRING "${words}" ${offset} 4 half)
    string(SUBSTRING "${half}" 2 2 high)
    string(SUBSTRING "${half}" 0 2 low)
    math(EXPR number "0x${high}${low}")
    list(APPEND parts ${number})
  endforeach()
  list(JOIN parts "." version)
  set(${out} ${version} PARENT_SCOPE)
endfunction()
set(names VelloxDll Vellox.DLL VelloxOcx Vellox.ocx)
foreach(file ${FILES})
  list(FIND names ${file} i)
  math(EXPR i "${i} + 1")
  list(GET names ${i} name)
  file_version(${DIST}/${name} version)
  run(${MSIBUILD} ${tmp}
    -q "UPDATE `File` SET `Version` = '${version}', `Language` = '1031' WHERE `File` = '${file}'")
endforeach()
run(${MSIBUILD} ${tmp}
  -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SelfUnregModules', 2200)"
  -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SelfRegModules', 6500)")
if(ARCH STREQUAL "x64")
  set(platform x64)
else()
  set(platform Intel)
endif()
# Called directly, as above: "<platform>;1031".
execute_process(COMMAND ${MSIBUILD} ${tmp}
  -s "Vellox: Outlook-Add-In, das die ausgewählte Adresse in die Zwischenablage kopiert" Vellox "${platform};1031"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${tmp})
  message(FATAL_ERROR "msibuild -s failed")
endif()
file(RENAME ${tmp} ${OUT})
