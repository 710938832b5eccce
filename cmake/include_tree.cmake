# Include trees that keep the layers: a target's headers are reachable only through a folder of
# the build that holds links to just those headers, under the paths their users spell
# ("search/text_rules.h"). The source tree itself is never an include path, so a header that no
# linked target exports does not compile, whatever folder it lies in.
#
#   tanmira_include_tree(<target> <PUBLIC|PRIVATE|INTERFACE>
#                        [HEADERS <header>...] [GLOB <pattern>...] [EXCLUDE <header>...])
#
# Headers and patterns are relative to the project root; GLOB picks up headers added later
# (the build configures itself again when one appears). One call per target and scope.
function(tanmira_include_tree target scope)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "HEADERS;GLOB;EXCLUDE")
    set(headers ${arg_HEADERS})
    foreach(pattern IN LISTS arg_GLOB)
        file(GLOB found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
             ${PROJECT_SOURCE_DIR}/${pattern})
        list(APPEND headers ${found})
    endforeach()
    if(arg_EXCLUDE)
        list(REMOVE_ITEM headers ${arg_EXCLUDE})
    endif()
    list(REMOVE_DUPLICATES headers)

    string(TOLOWER ${scope} kind)
    set(root ${PROJECT_BINARY_DIR}/include/${target}.${kind})
    # Built afresh each time, so that a header no longer exported does not stay reachable.
    file(REMOVE_RECURSE ${root})
    foreach(header IN LISTS headers)
        if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${header})
            message(FATAL_ERROR "${target}: no header ${header}")
        endif()
        get_filename_component(folder ${root}/${header} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        # Copies where the system refuses links (Windows without the right to make them).
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC COPY_ON_ERROR)
    endforeach()
    file(MAKE_DIRECTORY ${root})
    target_include_directories(${target} ${scope} ${root})
endfunction()
