# shellcheck shell=bash disable=SC2154 # tool and jobs come from the script that sources this
# What the cross builds' library scripts (build-web-libs, build-windows-libs) share: Debian's
# source packages through a private apt configuration, the cache a finished build lives in and
# the key that names it, and the libraries whose recipe is the same on every target. A script
# sets `tool` (its name in progress lines) before sourcing this, and after debsrc_begin
# defines `cmake_build SOURCE-DIR BUILD-NAME [CMAKE-ARGS...]` for its target.
#
# Globals the functions set and use: apt_opts, dscs (name_version of each source package),
# prefix (the finished build), work (the resumable build folder), stage (its install tree).

log() { echo "$tool: $*" >&2; }

# Prints the cache root of target $2: $1 when the caller's override is set, else
# /var/cache/zandor-$2 when it can be written, else the user's own cache.
debsrc_cache_root() { # override target
  local root=$1
  if [ -z "$root" ]; then
    if mkdir -p "/var/cache/zandor-$2" 2>/dev/null && [ -w "/var/cache/zandor-$2" ]; then
      root=/var/cache/zandor-$2
    else
      root=${XDG_CACHE_HOME:-$HOME/.cache}/zandor-$2
    fi
  fi
  mkdir -p "$root"
  echo "$root"
}

# A private apt configuration that knows only Debian's source indexes, so the system's
# package lists and cache stay untouched. Sets apt_opts.
debsrc_apt_setup() { # cache-root
  local apt_dir=$1/apt key=/usr/share/keyrings/debian-archive-keyring.gpg sources
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  sources="deb-src [signed-by=$key] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$key] http://deb.debian.org/debian bookworm-updates main"
  # Rewritten only when it differs, and then whole: a build running beside this one may be
  # reading it.
  if [ "$(cat "$apt_dir/sources.list" 2>/dev/null)" != "$sources" ]; then
    echo "$sources" >"$apt_dir/sources.list.new"
    mv "$apt_dir/sources.list.new" "$apt_dir/sources.list"
  fi
  apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
    -o APT::Sandbox::User=root -o Debug::NoLocking=1 -qq)

  # Refresh the source index at most once a day; an offline machine keeps using the old one.
  local stamp=$apt_dir/lists/updated
  if [ -z "$(find "$stamp" -mmin -1440 2>/dev/null)" ]; then
    log "updating the source package index"
    if apt-get "${apt_opts[@]}" update >&2; then
      touch "$stamp"
    else
      log "index update failed, using the old one"
    fi
  fi
}

# Sets dscs to the name_version of each package's .dsc, in the order given: the key's order.
debsrc_versions() { # package...
  local p dsc
  dscs=()
  for p in "$@"; do
    dsc=$(apt-get "${apt_opts[@]}" source --print-uris "$p" 2>/dev/null | grep -o "[^/' ]*\.dsc'" | tr -d "'" | head -1)
    [ -n "$dsc" ] || {
      log "no source package for $p"
      exit 1
    }
    dsc=${dsc%.dsc}
    dscs+=("${dsc//%2b/+}")
  done
}

# The version of source package $1 as debsrc_versions found it.
debsrc_version() { # package
  local d
  for d in "${dscs[@]}"; do
    [ "${d%%_*}" = "$1" ] && echo "${d#*_}" && return
  done
  log "no version of $1"
  exit 1
}

# Prints the cache key: the source versions, then the caller's lines about the compiler and
# the recipe. Machines keep their finished builds under it, so the bytes hashed for an
# unchanged toolchain must never change.
debsrc_key() { # line...
  printf '%s\n' "${dscs[@]}" "$@" | sha256sum | cut -c1-16
}

# Sets prefix, work and stage for the build named key under root. When that build is
# already complete, or only its name was asked for (dry_run set), prints the prefix and ends
# the script. Otherwise waits for any other build of the same key, then fetches and unpacks
# the source packages unless an interrupted run already did.
debsrc_begin() { # root key package...
  local root=$1 key=$2
  shift 2
  prefix=$root/$key
  if [ -f "$prefix/.complete" ]; then
    log "cached: $prefix"
    echo "$prefix"
    exit 0
  fi
  if [ -n "${dry_run:-}" ]; then
    log "not built yet: $prefix"
    echo "$prefix"
    exit 0
  fi
  # Two builds of one key in one folder would undo each other's steps.
  exec 9>"$root/.lock-$key"
  if ! flock -n 9; then
    log "waiting for another build of $prefix"
    flock 9
    if [ -f "$prefix/.complete" ]; then
      log "cached: $prefix"
      echo "$prefix"
      exit 0
    fi
  fi

  log "building ${dscs[*]} into $prefix"
  # An interrupted build resumes from the last library it finished.
  work=$root/build-$key
  stage=$work/prefix
  mkdir -p "$stage/include" "$stage/lib/pkgconfig" "$work/src"
  if [ ! -f "$work/.done-sources" ]; then
    local dsc name
    rm -rf "$work/src" && mkdir -p "$work/src"
    (cd "$work/src" && apt-get "${apt_opts[@]}" source --download-only "$@" >&2)
    for dsc in "$work"/src/*.dsc; do
      name=$(basename "$dsc" .dsc)
      (cd "$work/src" && dpkg-source -q -x "$dsc" "${name%%_*}" >&2)
    done
    touch "$work/.done-sources"
  fi
}

# Runs the rest of the command line as the build of library $1, unless an interrupted run
# already finished it.
debsrc_step() { # name command...
  local name=$1 start=$SECONDS
  shift
  [ -f "$work/.done-$name" ] && return
  log "$name"
  "$@"
  touch "$work/.done-$name"
  log "$name: $((SECONDS - start)) s"
}

# Points the installed files home, records what was built, and moves the stage to the prefix.
debsrc_finish() { # toolchain-line...
  # The .pc files and scripts written by the upstream installs name the staging folder.
  sed -i "s|$stage|$prefix|g" "$stage"/lib/pkgconfig/*.pc
  find "$stage/lib/cmake" "$stage/bin" -type f -exec sed -i "s|$stage|$prefix|g" {} + 2>/dev/null || true
  printf '%s\n' "${dscs[@]}" "$@" >"$stage/VERSIONS"
  touch "$stage/.complete"
  rm -rf "$prefix"
  mv "$stage" "$prefix"
  rm -rf "$work"
  log "done: $prefix"
  echo "$prefix"
}

# zlib: Debian's source drops the Windows files its CMake list names, and it is a dozen C
# files, so it is compiled directly.
debsrc_zlib() { # cc ar [cflags...]
  local cc=$1 ar=$2 c
  shift 2
  mkdir -p "$work/build-zlib"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil; do
    "$cc" -O2 -DNDEBUG -DHAVE_UNISTD_H -DHAVE_STDARG_H "$@" -c "$work/src/zlib/$c.c" -o "$work/build-zlib/$c.o" &
    [ "$(jobs -r | wc -l)" -ge "$jobs" ] && wait -n
  done
  wait
  rm -f "$stage/lib/libz.a"
  "$ar" rcs "$stage/lib/libz.a" "$work"/build-zlib/*.o
  cp "$work/src/zlib/zlib.h" "$work/src/zlib/zconf.h" "$stage/include/"
  cat >"$stage/lib/pkgconfig/zlib.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: zlib
Description: zlib compression library
Version: $(debsrc_version zlib)
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
EOF
}

# libpng's static library alone: its install step wants the programs too.
debsrc_libpng() {
  cmake_build "$work/src/libpng1.6" png -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$stage" -DZLIB_LIBRARY="$stage/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$stage/include" -DSKIP_INSTALL_EXECUTABLES=ON -DSKIP_INSTALL_PROGRAMS=ON
  cmake --build "$work/build-png" -j "$jobs" --target png_static >&2
  cp "$work/build-png/libpng16.a" "$stage/lib/"
  ln -sf libpng16.a "$stage/lib/libpng.a"
  mkdir -p "$stage/include/libpng16"
  cp "$work/src/libpng1.6/png.h" "$work/src/libpng1.6/pngconf.h" "$work/build-png/pnglibconf.h" \
    "$stage/include/libpng16/"
  cp "$stage/include/libpng16/"*.h "$stage/include/"
  cat >"$stage/lib/pkgconfig/libpng.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include/libpng16
Name: libpng
Description: Loads and saves PNG files
Version: $(debsrc_version libpng1.6)
Requires: zlib
Libs: -L\${libdir} -lpng16
Cflags: -I\${includedir}
EOF
}

# libjpeg-turbo without its SIMD code (that wants nasm) and without the command-line tools
# its install step insists on, so the headers and .pc are installed here.
debsrc_libjpeg() {
  cmake_build "$work/src/libjpeg-turbo" jpeg -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF
  cmake --build "$work/build-jpeg" -j "$jobs" --target jpeg-static >&2
  cp "$work/build-jpeg/libjpeg.a" "$stage/lib/"
  cp "$work/src/libjpeg-turbo/jpeglib.h" "$work/src/libjpeg-turbo/jerror.h" \
    "$work/src/libjpeg-turbo/jmorecfg.h" "$work/build-jpeg/jconfig.h" "$stage/include/"
  cat >"$stage/lib/pkgconfig/libjpeg.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: libjpeg
Description: A SIMD-accelerated JPEG codec that provides the libjpeg API
Version: $(debsrc_version libjpeg-turbo)
Libs: -L\${libdir} -ljpeg
Cflags: -I\${includedir}
EOF
}

debsrc_libogg() {
  cmake_build "$work/src/libogg" ogg -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
  cmake --build "$work/build-ogg" -j "$jobs" >&2
  cmake --install "$work/build-ogg" >&2
}

# libvorbis and libvorbisfile; the .pc files name what a static link needs. $1 names the
# target in their descriptions.
debsrc_libvorbis() { # target-name
  local pc
  cmake_build "$work/src/libvorbis" vorbis -DOgg_ROOT="$stage" -DBUILD_TESTING=OFF
  cmake --build "$work/build-vorbis" -j "$jobs" --target vorbis vorbisfile >&2
  cp "$work/build-vorbis/lib/libvorbis.a" "$work/build-vorbis/lib/libvorbisfile.a" "$stage/lib/"
  mkdir -p "$stage/include/vorbis"
  cp "$work/src/libvorbis/include/vorbis/codec.h" "$work/src/libvorbis/include/vorbis/vorbisfile.h" \
    "$stage/include/vorbis/"
  for pc in vorbis vorbisfile; do
    cat >"$stage/lib/pkgconfig/$pc.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: $pc
Description: $pc (static, $1)
Version: $(debsrc_version libvorbis)
Requires: $([ $pc = vorbis ] && echo ogg || echo vorbis)
Libs: -L\${libdir} -l$pc
Libs.private: -lm
Cflags: -I\${includedir}
EOF
  done
}
