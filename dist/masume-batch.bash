# bash completion for masume-batch                         -*- shell-script -*-
#
# Completes the options; the grid kinds after --kind, the formats after
# --format, the samplings after --sampling; folders after --out-dir; any file
# after -o; and for the inputs BMP, JPEG and PNG files (and folders on the
# way to them), also everywhere after "--". Nothing is offered for the values
# of --size, --color, --quality and --jobs.

_masume_batch()
{
    local cur prev words cword split
    # ":" stays inside words, as in the samplings 4:2:0 and 4:4:4.
    _init_completion -s -n : || return

    case $prev in
    --kind)
        COMPREPLY=($(compgen -W 'none square diamond rows columns hex-rows hex-columns' \
            -- "$cur"))
        return
        ;;
    --format)
        COMPREPLY=($(compgen -W 'bmp jpeg png' -- "$cur"))
        return
        ;;
    --sampling)
        COMPREPLY=($(compgen -W '4:2:0 4:4:4' -- "$cur"))
        __ltrim_colon_completions "$cur"
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
    --size | --color | --quality | --jobs | -j)
        return
        ;;
    esac
    $split && return

    local i options_end=false
    for ((i = 1; i < cword; i++)); do
        [[ ${words[i]} == -- ]] && options_end=true
    done
    if ! $options_end && [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--kind --size --color --without-grid --grid-only --no-auto-orient
            --format --quality --sampling -j --jobs -o --out-dir --help --' -- "$cur"))
        return
    fi
    _filedir '@(bmp|jpg|jpeg|png)'
} &&
    complete -F _masume_batch masume-batch

# ex: filetype=sh
