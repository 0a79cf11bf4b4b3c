# bash completion for masume-batch                         -*- shell-script -*-
#
# Completes the options; the grid kinds after --kind; folders after
# --out-dir; any file after -o; and for the inputs BMP and JPEG files (and
# folders on the way to them), also everywhere after "--". Nothing is offered
# for the values of --size, --color and --jobs.

_masume_batch()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
    --kind)
        COMPREPLY=($(compgen -W 'none square diamond rows columns hex-rows hex-columns' \
            -- "$cur"))
        return
        ;;
    --out-dir)
        _filedir -d
        return
        ;;
    -o)
        _filedir
        return
        ;;
    --size | --color | --jobs | -j)
        return
        ;;
    esac
    $split && return

    local i options_end=false
    for ((i = 1; i < cword; i++)); do
        [[ ${words[i]} == -- ]] && options_end=true
    done
    if ! $options_end && [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--kind --size --color --without-grid --no-auto-orient -j --jobs
            -o --out-dir --help --' -- "$cur"))
        return
    fi
    _filedir '@(bmp|jpg|jpeg)'
} &&
    complete -F _masume_batch masume-batch

# ex: filetype=sh
