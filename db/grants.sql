-- What the program's login may do in the private cluster, and nothing more:
-- connect to this database, insert readings into "invoice", read them back.
-- Loaded by the set-up command as the cluster's superuser, connected to the
-- program's database, after db/schema.sql. Safe to load again: a second load
-- changes nothing. psql variables: login, password.

-- A plain login role; its password is set only when it is made, so a second
-- run leaves it as it is.
select not exists (select from pg_roles where rolname = :'login') as login_missing \gset
\if :login_missing
create role :"login" login password :'password';
\endif
alter role :"login" with login nosuperuser nocreatedb nocreaterole noreplication nobypassrls;

-- No inherited powers either: reading or writing server files and running
-- programs come through membership of the predefined roles.
select format('revoke %I from %I', granted.rolname, member.rolname)
  from pg_auth_members m
  join pg_roles granted on granted.oid = m.roleid
  join pg_roles member on member.oid = m.member
 where member.rolname = :'login' \gexec

-- This database: connect, nothing else (no temporary tables, no schemas).
select format('revoke all on database %I from public', current_database()) \gexec
select format('grant connect on database %I to %I', current_database(), :'login') \gexec
revoke create on schema public from public;
grant usage on schema public to :"login";

grant select, insert on invoice to :"login";
-- The key's sequence, where the table has one.
select format('grant usage on sequence %s to %I', pg_get_serial_sequence('invoice', attname), :'login')
  from pg_attribute
 where attrelid = 'invoice'::regclass and attnum > 0 and not attisdropped
   and pg_get_serial_sequence('invoice', attname) is not null \gexec

-- The maintenance database is the superuser's alone.
revoke connect, temporary on database postgres from public;
