# SONAVEL_SANITIZE=address  -> AddressSanitizer + UndefinedBehaviorSanitizer
# SONAVEL_SANITIZE=thread   -> ThreadSanitizer
set(SONAVEL_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")

if(SONAVEL_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(SONAVEL_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT SONAVEL_SANITIZE STREQUAL "")
    message(FATAL_ERROR "SONAVEL_SANITIZE must be empty, address or thread")
endif()
