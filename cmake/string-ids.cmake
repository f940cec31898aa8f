# Two texts of a string table under one id would be one text: the resource compiler keeps the
# later one and says nothing. check_string_ids(HEADER) reads the IDS_ names of a header at
# configure time (and again whenever the header changes) and fails the configuration on an id
# given twice.
function(check_string_ids header)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${header}")
    file(STRINGS "${header}" lines REGEX "^#define[ \t]+IDS_[A-Z0-9_]+[ \t]+[0-9]+")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^#define[ \t]+(IDS_[A-Z0-9_]+)[ \t]+([0-9]+).*$" "\\1;\\2" pair
               "${line}")
        list(GET pair 0 name)
        list(GET pair 1 id)
        if(DEFINED taken_${id})
            message(FATAL_ERROR "${header}: ${name} and ${taken_${id}} have one string id, ${id}")
        endif()
        set(taken_${id} ${name})
    endforeach()
endfunction()
