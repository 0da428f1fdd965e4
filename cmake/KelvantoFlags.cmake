# One INTERFACE target carries the flags that every target of the project shares.
add_library(kelvanto_flags INTERFACE)
target_compile_features(kelvanto_flags INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(kelvanto_flags INTERFACE
    -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wshadow)
if(KELVANTO_WERROR)
    target_compile_options(kelvanto_flags INTERFACE -Werror)
endif()
# lld links the hundred-odd test programs several times faster than the default linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld KELVANTO_HAVE_LLD)
if(KELVANTO_HAVE_LLD)
    target_link_options(kelvanto_flags INTERFACE -fuse-ld=lld)
endif()
if(KELVANTO_SANITIZE)
    # Reports need file and line; a build type without debug information gets the line tables.
    target_compile_options(kelvanto_flags INTERFACE -fsanitize=${KELVANTO_SANITIZE} -fno-omit-frame-pointer
        $<$<NOT:$<CONFIG:Debug,RelWithDebInfo>>:-g1>)
    target_link_options(kelvanto_flags INTERFACE -fsanitize=${KELVANTO_SANITIZE})
    if(KELVANTO_SANITIZE MATCHES "undefined")
        target_compile_options(kelvanto_flags INTERFACE -fno-sanitize-recover=undefined)
    endif()
endif()

# One static library per layer folder; its sources are every .cpp of the folder and of the
# subfolders named in SUBDIRS (a layer cut by concept stays one library).
function(kelvanto_layer name)
    cmake_parse_arguments(ARG "" "" "DEPS;SUBDIRS" ${ARGN})
    set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(subdir ${ARG_SUBDIRS})
        list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${subdir}/*.cpp)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
    list(FILTER sources EXCLUDE REGEX ".*/main\\.cpp$")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC kelvanto_flags ${ARG_DEPS})
    else()
        # A folder whose code is all in headers so far.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE kelvanto_flags ${ARG_DEPS})
    endif()
endfunction()
