! Fortran interface to qx3agapi for the calls of the example client: every entry point is stdcall,
! takes each CHARACTER argument by reference with its length as a separate value, and lends the
! string a terminator in the byte just after it for the duration of the call (so that byte must be
! writable: pass a substring of a longer variable, or a blank-padded variable with LEN_TRIM).
module qx3agapi
  use, intrinsic :: iso_c_binding
  implicit none

  ! The status record (136 bytes).
  type, bind(c) :: sqlca
    character(kind=c_char) :: sqlcaid(8)
    integer(c_int32_t) :: sqlcabc
    integer(c_int32_t) :: sqlcode
    integer(c_int16_t) :: sqlerrml
    character(kind=c_char) :: sqlerrmc(70)
    character(kind=c_char) :: sqlerrp(8)
    integer(c_int32_t) :: sqlerrd(6)
    character(kind=c_char) :: sqlwarn(11)
    character(kind=c_char) :: sqlstate(5)
  end type sqlca

  ! One item of a configuration token array (8 bytes): parameter number and the value's buffer.
  type, bind(c) :: qx3ConfigItem
    integer(c_int16_t) :: token
    integer(c_int16_t) :: reserved
    type(c_ptr) :: value
  end type qx3ConfigItem

  interface
    ! Reset the configuration of the database named by a length-counted alias.
    integer(c_int32_t) function sqlgrdb(aliasLen, ca, alias) bind(c, name='sqlgrdb')
      import :: c_int32_t, c_char, sqlca
!GCC$ ATTRIBUTES STDCALL :: sqlgrdb
      integer(c_int32_t), value :: aliasLen
      type(sqlca) :: ca
      character(kind=c_char) :: alias(*)
    end function sqlgrdb

    ! Read the listed parameters of a database; string values come back blank-padded.
    integer(c_int32_t) function sqlgxdb(aliasLen, count, items, ca, alias) bind(c, name='sqlgxdb')
      import :: c_int32_t, c_char, sqlca, qx3ConfigItem
!GCC$ ATTRIBUTES STDCALL :: sqlgxdb
      integer(c_int32_t), value :: aliasLen, count
      type(qx3ConfigItem) :: items(*)
      type(sqlca) :: ca
      character(kind=c_char) :: alias(*)
    end function sqlgxdb

    ! Attach to a node as a user with a password.
    integer(c_int32_t) function sqlgatin(nodeLen, userLen, passwordLen, ca, node, user, password) &
        bind(c, name='sqlgatin')
      import :: c_int32_t, c_char, sqlca
!GCC$ ATTRIBUTES STDCALL :: sqlgatin
      integer(c_int32_t), value :: nodeLen, userLen, passwordLen
      type(sqlca) :: ca
      character(kind=c_char) :: node(*), user(*), password(*)
    end function sqlgatin
  end interface
end module qx3agapi
